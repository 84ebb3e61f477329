#include "shell/review/review_settings.h"

#include <QSettings>

namespace {

const char* const kWithoutQuestionsKey = "Review/WithoutQuestions";

} // namespace

bool ReviewWithoutQuestions() { return QSettings().value(QLatin1String(kWithoutQuestionsKey), false).toBool(); }

void SetReviewWithoutQuestions(bool on)
{
    QSettings settings;
    if (settings.value(QLatin1String(kWithoutQuestionsKey), false).toBool() != on)
        settings.setValue(QLatin1String(kWithoutQuestionsKey), on);
}
