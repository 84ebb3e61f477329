#include "shell/whats_this.h"

#include <QDialog>
#include <QEvent>
#include <QKeyEvent>
#include <QWhatsThis>
#include <QWidget>

namespace {

struct CommandText {
    CommandId id;
    const char* text;
};

// What each command does, beyond its one-line prompt. The keys are added from the command table.
constexpr CommandText kCommandTexts[] = {
    { CommandId::FileOpen,
        "Открывает документ *.rla (кодовая страница 866) из папки входных файлов. Сразу после "
        "открытия идут оба разбора — по базе Орво и по локальной базе: программа находит "
        "строки со ссылками на другие документы и спрашивает о каждой, где документов-кандидатов несколько." },
    { CommandId::FileSave,
        "Записывает документ. Первое сохранение переносит исходный файл в папку выходных "
        "файлов (Сервис → Параметры) и пишет туда исправленный текст." },
    { CommandId::FileSaveAs, "Записывает документ в файл с другим именем." },
    { CommandId::FileDelete, "Удаляет текущий файл документа (в корзину) и закрывает его." },
    { CommandId::Reanalyse, "Повторяет оба разбора открытого документа: снова ищет ссылки и ставит теги." },
    { CommandId::ChooseRequisites,
        "Повторяет поиск для выделенной строки по реквизитам, которые вы выберете сами: "
        "виды, органы, номера и даты, найденные в строке, и база, в которой искать." },
    { CommandId::OrvoSearch, "Поиск документа базы Орво по реквизитам, ключевым словам и датам." },
    { CommandId::Undo,
        "Отменяет последнее изменение документа; каждое следующее нажатие отменяет шаг перед ним. "
        "Меню «Правка» называет, что будет отменено." },
    { CommandId::Redo, "Повторяет последнее отменённое изменение документа." },
    { CommandId::CutTag, "Вырезает выделенную строку тега в буфер обмена." },
    { CommandId::CopyTag, "Копирует выделенную строку тега в буфер обмена." },
    { CommandId::PasteTag, "Вставляет строку тега из буфера обмена перед выделенной строкой." },
    { CommandId::DeleteTag, "Удаляет выделенную строку тега вместе с её якорем." },
    { CommandId::PlaceOrvoTag,
        "Ставит перед выделенной строкой тег межбазовой ссылки на документ базы Орво: номер "
        "документа выбирается из последних, из блокнота или вводится." },
    { CommandId::PlaceInnerTag,
        "Ставит перед выделенной строкой тег внутрибазовой ссылки на документ локальной "
        "базы: номер документа, вид ссылки, номер строки и ключи -О, -П." },
    { CommandId::ShowFoundRequisites,
        "Показывает реквизиты, которые программа определила в выделенной строке: виды, "
        "органы, номера и даты." },
    { CommandId::ShowLinkedDocument, "Показывает реквизиты документа, на который ссылается выделенная строка тега." },
    { CommandId::ShownPictures,
        "Выбирает, строки каких видов отмечаются картинками и по каким строкам ходят "
        "переходы к подозрительным строкам." },
    { CommandId::PrevSuspicious,
        "Переходит к предыдущей подозрительной строке (строке, где найдены признаки ссылки)." },
    { CommandId::NextSuspicious, "Переходит к следующей подозрительной строке (строке, где найдены признаки ссылки)." },
    { CommandId::PrevInnerLink, "Переходит к предыдущему тегу внутрибазовой ссылки." },
    { CommandId::NextInnerLink, "Переходит к следующему тегу внутрибазовой ссылки." },
    { CommandId::PrevOrvoLink, "Переходит к предыдущему тегу межбазовой ссылки." },
    { CommandId::NextOrvoLink, "Переходит к следующему тегу межбазовой ссылки." },
    { CommandId::MoveLineUp, "Сдвигает выделенную строку (обычно тег) на одну строку вверх." },
    { CommandId::MoveLineDown, "Сдвигает выделенную строку (обычно тег) на одну строку вниз." },
    { CommandId::ToggleBookmark, "Ставит закладку на выделенную строку или снимает её." },
    { CommandId::NextBookmark, "Переходит к следующей строке с закладкой." },
    { CommandId::PrevBookmark, "Переходит к предыдущей строке с закладкой." },
    { CommandId::ClearBookmarks, "Снимает все закладки в документе." },
    { CommandId::Statistics,
        "Показывает статистику разбора: подозрительные строки, поставленные и уже бывшие теги "
        "обеих баз." },
    { CommandId::Help, "Открывает справку Telvarion." },
    { CommandId::ReviewWithoutQuestions,
        "Когда включено, при открытии документа программа ни о чём не спрашивает: ставит только ссылки, в "
        "которых уверена, а всё поставленное и строки, где нужно решение, показывает в списке «Проверка ссылок». "
        "То же, что флажок в «Сервис → Параметры»." },
    { CommandId::ReviewAcceptAll,
        "Принимает все ещё не проверенные ссылки списка «Проверка ссылок» (после вопроса "
        "с их числом); строки, где нужно решение, остаются." },
    { CommandId::ReviewList, "Показывает или прячет список «Проверка ссылок» рядом со строками документа." },
};

constexpr CWhatsThisEntry kDialogTexts[] = {
    // The candidates of the Orvo analysis.
    { "CSelectOrvoDocDlg", "",
        "Выбор документа для ссылки: строка документа ссылается на документ, которому "
        "подходят несколько документов словаря. Выберите нужные и нажмите «Да»; «Нет» — "
        "оставить строку без ссылки, «Отмена» — прервать разбор." },
    { "CSelectOrvoDocDlg", "base", "База, документы которой предлагаются: база Орво или локальная база." },
    { "CSelectOrvoDocDlg", "context",
        "Строки документа вокруг найденной ссылки, как их видит разбор; строка, о которой "
        "вопрос, выделена." },
    { "CSelectOrvoDocDlg", "status",
        "Что сделает Enter, когда в списке ничего не выбрано: пропустит строку, как «Нет»." },
    { "CSelectOrvoDocDlg", "date",
        "Дата принятия обрабатываемого документа: документы, принятые позже, не предлагаются." },
    { "CSelectOrvoDocDlg", "selection", "Сколько документов-кандидатов выбрано в списке и сколько их всего." },
    { "CSelectOrvoDocDlg", "candidates",
        "Документы-кандидаты с их реквизитами, лучшие сверху. Можно выбрать несколько: "
        "для каждого будет поставлен свой тег." },
    { "CSelectOrvoDocDlg", "remove", "Убирает выбранные документы из списка кандидатов." },
    { "CSelectOrvoDocDlg", "fromList", "Поставить теги на документы, выбранные в списке." },
    { "CSelectOrvoDocDlg", "byNumber", "Поставить тег на документ с номером в базе, введённым справа." },
    { "CSelectOrvoDocDlg", "number", "Номер документа в базе Орво; последние использованные номера — в списке." },
    { "CSelectOrvoDocDlg", "blocknote", "Выбрать номер документа из блокнота документов Орво." },
    { "CSelectOrvoDocDlg", "yes",
        "Поставить теги на выбранные документы. Enter, когда ничего не выбрано, пропускает "
        "строку, как «Нет»." },
    { "CSelectOrvoDocDlg", "no", "Не ставить тег для этой строки и продолжить разбор." },
    { "CSelectOrvoDocDlg", "cancel", "Не ставить тег и закончить разбор." },
    // The confirmation of the tags placed for one line.
    { "CInsertTagDlg", "",
        "Подтверждение: перед строкой поставлен тег, его документ показан здесь. «Да» — "
        "оставить тег, «Нет» — убрать теги этой строки, «Отмена» — убрать их и закончить разбор." },
    // The Orvo number picker.
    { "CSelectNumDlg", "", "Номер документа базы Орво для тега межбазовой ссылки." },
    { "CSelectNumDlg", "number", "Номер документа в базе Орво: введите его или выберите из последних использованных." },
    { "CSelectNumDlg", "blocknote", "Выбрать номер из блокнота документов Орво." },
    // The intra-base tag.
    { "CInnerTagDlg", "", "Тег внутрибазовой ссылки на документ локальной базы." },
    { "CInnerTagDlg", "number", "Номер документа в локальной базе." },
    { "CInnerTagDlg", "kind",
        "Вид ссылки: три буквы кода в теге, описание показано рядом. По умолчанию — НУЛ, "
        "«Нулевая ссылка»." },
    { "CInnerTagDlg", "line", "Номер строки документа, на которую ведёт ссылка; пусто или 0 — без номера строки." },
    { "CInnerTagDlg", "keyO", "Ключ -О: добавляет в тег «-О»." },
    { "CInnerTagDlg", "keyP", "Ключ -П: добавляет в тег «-П»." },
    { "CInnerTagDlg", "description", "Реквизиты документа с введённым номером." },
    { "CInsertInnerTagDlg", "",
        "Параметры тега внутрибазовой ссылки, которую поставил разбор: вид ссылки, строка, "
        "ключи. «Да» — поставить, «Нет» — не ставить, «Отмена» — закончить разбор." },
    { "CInsertInnerTagDlg", "text", "Строка документа, для которой ставится тег." },
    // Requisites chosen by hand.
    { "CSelectRecvDlg", "",
        "Реквизиты, найденные в строке: отметьте те, по которым искать документ, и выберите базу." },
    { "CSelectRecvDlg", "rows", "Найденные виды, органы, номера и даты; отмеченные участвуют в поиске." },
    { "CSelectRecvDlg", "local", "Искать документ в локальной базе." },
    { "CSelectRecvDlg", "orvo", "Искать документ в базе Орво." },
    // Settings.
    { "COptionsDlg", "input", "Папка, из которой открываются документы *.rla." },
    { "COptionsDlg", "output",
        "Папка, куда первое сохранение переносит обработанный документ. Пусто — документ "
        "сохраняется на месте." },
    { "COptionsDlg", "withoutQuestions",
        "При открытии ставить без вопросов только уверенные ссылки и проверить их списком «Проверка ссылок»." },
    { "COptionsDlg", "browseInput", "Выбрать папку входных файлов; несуществующую папку программа предложит создать." },
    { "COptionsDlg", "browseOutput",
        "Выбрать папку выходных файлов; несуществующую папку программа предложит создать." },
    { "CFolderChooserDlg", "path", "Путь папки. Можно ввести путь новой папки: программа предложит её создать." },
    { "CFolderChooserDlg", "tree", "Папки компьютера; выбранная попадает в поле пути." },
    { "CHotDocsDlg", "",
        "Десять «горячих» документов Орво: Ctrl+1 … Ctrl+9 и Ctrl+0 (поле «10») ставят тег на "
        "документ с номером в базе из своего поля. Пустое поле — клавиша не занята." },
    { "CShowedIconsDlg", "",
        "Какие строки отмечаются картинками и по каким ходят переходы к подозрительным строкам: "
        "четыре вида тегов и подозрительные строки обеих баз по числу определённых видов реквизитов." },
    // Dictionaries.
    { "CDictionaryDlg", "",
        "Словарь ключевых слов Орво: строка документа, в которой есть одно из слов (заглавными "
        "буквами, можно часть слова), проверяется на ссылку на документ базы Орво." },
    { "CDictionaryDlg", "list", "Записи словаря. Буква с клавиатуры переходит к первой записи на эту букву." },
    { "CDictionaryDlg", "newEntry", "Новая запись; «Внести» добавляет её в словарь." },
    { "CDictionaryDlg", "save", "Выгрузить словарь в текстовый файл." },
    { "CRecvDictDlg", "",
        "Словарь видов документов или принявших органов: значение — текст раздела файла списка "
        "($5 или $4), синонимы — другие его названия и сокращения, по которым оно находится в тексте." },
    { "CRecvDictDlg", "list", "Значения словаря с их синонимами." },
    { "CRecvDictDlg", "newEntry", "Новое значение или синоним." },
    { "CRecvDictDlg", "addValue", "Добавить введённый текст как новое значение." },
    { "CRecvDictDlg", "addSynonym", "Добавить введённый текст как синоним выбранного значения." },
    { "CRecvDictDlg", "synonyms", "Открыть синонимы выбранного значения." },
    { "CSinonimsDlg", "", "Синонимы одного значения словаря: другие названия, по которым оно находится в тексте." },
    { "COrvoLinkDictDlg", "",
        "Блокнот документов Орво: документы, на которые вы часто ставите ссылки. Номер из "
        "блокнота можно выбрать при постановке межбазового тега." },
    { "COrvoLinkDictDlg", "newDocument", "Номер в базе документа Орво, который добавить в блокнот." },
    { "CBlocknoteDlg", "", "Выбор документа из блокнота документов Орво." },
};

QString Keys(const CCommandInfo& info)
{
    return QString::fromUtf8(info.keys).replace(QStringLiteral("; "), QStringLiteral(", "));
}

} // namespace

QString CommandWhatsThis(CommandId id)
{
    const CCommandInfo& info = CommandInfo(id);
    const QString name = QString::fromUtf8(info.text).remove(u'&');
    QString text;
    for (const CommandText& entry : kCommandTexts)
        if (entry.id == id)
            text = QString::fromUtf8(entry.text);
    if (text.isEmpty())
        text = QString::fromUtf8(info.prompt).section(u'\n', 0, 0);
    QString html = QStringLiteral("<b>%1</b>").arg(name.toHtmlEscaped());
    if (const QString keys = Keys(info); !keys.isEmpty())
        html += QStringLiteral(" (%1)").arg(keys.toHtmlEscaped());
    return html + QStringLiteral("<br>") + text.toHtmlEscaped();
}

std::span<const CWhatsThisEntry> DialogWhatsThisTable() { return kDialogTexts; }

int ApplyDialogWhatsThis(QWidget* dialog)
{
    int applied = 0;
    const QLatin1String className(dialog->metaObject()->className());
    for (const CWhatsThisEntry& entry : kDialogTexts) {
        if (className != QLatin1String(entry.dialogClass))
            continue;
        QWidget* target = *entry.field ? dialog->findChild<QWidget*>(QLatin1String(entry.field)) : dialog;
        if (!target)
            continue;
        target->setWhatsThis(QString::fromUtf8(entry.text));
        ++applied;
    }
    return applied;
}

bool CContextHelp::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F1 || (key->modifiers() & ~Qt::KeypadModifier) != Qt::ShiftModifier)
            break;
        // Taken before any shortcut or widget sees it, in the main window and in dialogs alike.
        if (event->type() == QEvent::KeyPress && !QWhatsThis::inWhatsThisMode())
            QWhatsThis::enterWhatsThisMode();
        event->accept();
        return true;
    }
    case QEvent::Show:
        if (auto* dialog = qobject_cast<QDialog*>(watched); dialog && !dialog->property("telvarionWhatsThis").toBool()) {
            dialog->setProperty("telvarionWhatsThis", true);
            ApplyDialogWhatsThis(dialog);
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
