#include "view/telvarion_view.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include <QApplication>
#include <QEventLoop>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "document/telvarion_doc.h"
#include "view/found_recv_dlg.h"
#include "view/frame_services.h"
#include "view/goto_line_dlg.h"
#include "view/in_place_edit.h"
#include "view/insert_tag_dlg.h"
#include "view/line_delegate.h"
#include "view/line_model.h"
#include "view/qt_text.h"
#include "view/view_message.h"

namespace {

class CWaitCursorScope {
public:
    CWaitCursorScope() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CWaitCursorScope() { QApplication::restoreOverrideCursor(); }
    CWaitCursorScope(const CWaitCursorScope&) = delete;
    CWaitCursorScope& operator=(const CWaitCursorScope&) = delete;
};

// The view font is 13 pixels high, normal weight; the settings keep its face and the byte of
// pitch (low bits: 1 fixed, 2 variable) and family (high bits) that the font has always been
// stored with.
constexpr int kFontPixels = 13;
constexpr std::uint8_t kFixedPitch = 0x01;
constexpr std::uint8_t kVariablePitch = 0x02;

QFont FontFromSettings(const CDocSettings& settings)
{
    QFont font(FromCp1251(settings.fontFace));
    font.setPixelSize(kFontPixels);
    font.setWeight(QFont::Normal);
    QFont::StyleHint hint = QFont::AnyStyle;
    switch (settings.fontPitchAndFamily & 0xF0) {
    case 0x10:
        hint = QFont::Serif;
        break;
    case 0x20:
        hint = QFont::SansSerif;
        break;
    case 0x30:
        hint = QFont::TypeWriter;
        break;
    case 0x40:
        hint = QFont::Cursive;
        break;
    case 0x50:
        hint = QFont::Decorative;
        break;
    default:
        break;
    }
    const bool fixed = (settings.fontPitchAndFamily & 0x03) == kFixedPitch;
    // A fixed-pitch face that is missing should fall back to another fixed-pitch one.
    if (fixed && hint == QFont::AnyStyle)
        hint = QFont::TypeWriter;
    font.setStyleHint(hint);
    font.setFixedPitch(fixed);
    // The system's own substitute for a missing face may be a proportional one (Wine gives a serif
    // for "Courier New"), which breaks the columns of a legal text: a fixed-pitch face it has is
    // taken instead, for the view only; the settings keep the face.
    if (fixed && !QFontInfo(font).fixedPitch()) {
        const QStringList faces { QFontDatabase::systemFont(QFontDatabase::FixedFont).family(),
            QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Noto Mono"),
            QStringLiteral("Consolas"), QStringLiteral("Lucida Console") };
        const QStringList present = QFontDatabase::families();
        for (const QString& face : faces) {
            if (present.contains(face, Qt::CaseInsensitive) && QFontDatabase::isFixedPitch(face)) {
                font.setFamily(face);
                break;
            }
        }
    }
    return font;
}

std::uint8_t PitchAndFamily(const QFont& font)
{
    std::uint8_t family = 0;
    switch (font.styleHint()) {
    case QFont::Serif:
        family = 0x10;
        break;
    case QFont::SansSerif:
        family = 0x20;
        break;
    case QFont::TypeWriter:
    case QFont::Monospace:
        family = 0x30;
        break;
    case QFont::Cursive:
        family = 0x40;
        break;
    case QFont::Decorative:
    case QFont::Fantasy:
        family = 0x50;
        break;
    default:
        break;
    }
    return static_cast<std::uint8_t>(family | (QFontInfo(font).fixedPitch() ? kFixedPitch : kVariablePitch));
}

bool IsOrvoLink(const CLineRecord& r) { return r.nKind == OrvoLinkExisting || r.nKind == OrvoLinkNew; }
bool IsInnerLink(const CLineRecord& r) { return r.nKind == InnerLinkNew || r.nKind == InnerLinkExisting; }

const char* const kSeparator = "\n---------------------------------\n";

// The view's commands that are the tag editor's.
std::optional<CTagEditor::Command> TagCommand(ViewCommand command)
{
    using C = CTagEditor::Command;
    switch (command) {
    case ViewCommand::PlaceOrvoTag:
        return C::PlaceOrvoTag;
    case ViewCommand::PlaceInnerTag:
        return C::PlaceInnerTag;
    case ViewCommand::DeleteTag:
        return C::DeleteTag;
    case ViewCommand::CutTag:
        return C::CutTag;
    case ViewCommand::CopyTag:
        return C::CopyTag;
    case ViewCommand::PasteTag:
        return C::PasteTag;
    case ViewCommand::MoveLineUp:
        return C::MoveUp;
    case ViewCommand::MoveLineDown:
        return C::MoveDown;
    case ViewCommand::Undo:
        return C::Undo;
    case ViewCommand::Redo:
        return C::Redo;
    case ViewCommand::ChooseRequisites:
        return C::ChooseRequisites;
    default:
        return std::nullopt;
    }
}

} // namespace

// The rows as the tag editor sees them: the model, with the selection and the scrolling of the
// list.
class CTelvarionView::CViewRows : public CLineRows {
public:
    explicit CViewRows(CTelvarionView& view)
        : m_view(view)
    {
    }
    int Count() const override { return m_view.m_model->Count(); }
    const std::string& Text(int row) const override { return m_view.m_model->Text(row); }
    const CLineRecord& Record(int row) const override { return m_view.m_model->Record(row); }
    int Selected() const override { return m_view.SelectedRow(); }
    void SetText(int row, std::string text) override { m_view.m_model->SetText(row, std::move(text)); }
    void Set(int row, std::string text, CLineRecord record) override
    {
        if (text != m_view.m_model->Text(row))
            m_view.m_model->SetText(row, std::move(text));
        m_view.m_model->SetRecord(row, std::move(record));
    }
    void SetReviewState(int row, bool local, std::uint8_t state) override
    {
        m_view.m_model->SetReviewState(row, local, state);
    }
    void Insert(int row, std::string text, CLineRecord record) override
    {
        m_view.m_model->InsertLine(row, std::move(text), std::move(record));
    }
    void Remove(int row) override { m_view.m_model->RemoveLine(row); }
    void Swap(int a, int b) override { m_view.m_model->SwapLines(a, b); }
    void Copy(std::vector<std::string>& texts, std::vector<CLineRecord>& records) const override
    {
        m_view.m_model->Copy(texts, &records);
    }
    void Replace(std::vector<std::string> texts, std::vector<CLineRecord> records) override
    {
        // The page stays where it was: the person sees the same lines, changed.
        const int top = m_view.verticalScrollBar()->value();
        const int left = m_view.horizontalScrollBar()->value();
        m_view.setUpdatesEnabled(false);
        m_view.m_model->Reset(std::move(texts), std::move(records));
        m_view.RefreshPictures();
        m_view.verticalScrollBar()->setValue(top);
        m_view.horizontalScrollBar()->setValue(left);
        m_view.setUpdatesEnabled(true);
        m_view.UpdateStatusPanes();
    }
    void Select(int row) override
    {
        if (row < 0 || row >= Count()) {
            ClearSelection();
            return;
        }
        m_view.SelectLine(static_cast<std::size_t>(row));
        m_view.UpdateStatusPanes();
    }
    void ClearSelection() override
    {
        m_view.clearSelection();
        m_view.UpdateStatusPanes();
    }

private:
    CTelvarionView& m_view;
};

CTelvarionView::CTelvarionView(CTelvarionDoc& doc, QWidget* parent)
    : CFindableListView(parent)
    , m_doc(doc)
    , m_model(new CLineModel(this))
    , m_delegate(new CLineDelegate(this))
    , m_rows(std::make_unique<CViewRows>(*this))
    , m_editor(std::make_unique<CTagEditor>(doc, doc.Ui(), *m_rows))
{
    setObjectName(QStringLiteral("lineView"));
    setModel(m_model);
    setItemDelegate(m_delegate);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // One row height for all rows: the layout of 100,000 lines then costs nothing.
    setUniformItemSizes(true);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setIconSize(QSize(CLineDelegate::kPictureSize, CLineDelegate::kPictureSize));
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    // The selection keeps its colour while the confirmation or the find dialog has the focus:
    // that is when the person most needs to see which line is meant.
    QPalette colours = palette();
    colours.setColor(QPalette::Inactive, QPalette::Highlight, colours.color(QPalette::Active, QPalette::Highlight));
    colours.setColor(
        QPalette::Inactive, QPalette::HighlightedText, colours.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(colours);
    setFont(FontFromSettings(m_doc.settings));
    m_editor->History().onChange = [this] { emit HistoryChanged(); };
}

CTelvarionView::~CTelvarionView()
{
    CancelQuestion();
    DropInPlaceEditor();
}

void CTelvarionView::DropInPlaceEditor()
{
    // Rows that are replaced wholesale (or a view that goes) leave nothing for an edit to land in.
    if (QWidget* editor = m_inPlaceEditor.data()) {
        m_inPlaceEditor = nullptr;
        QObject::disconnect(editor, nullptr, this, nullptr);
        editor->hide();
        editor->deleteLater();
    }
}

void CTelvarionView::SetFrame(CFrameServices* frame) { m_frame = frame; }

CLineModel& CTelvarionView::Model() { return *m_model; }

CLineRows& CTelvarionView::Rows() { return m_editor->Rows(); }

CTelvarionDoc& CTelvarionView::Document() { return m_doc; }

std::array<int, 14>& CTelvarionView::ShownPictures() { return m_model->ShownPictures(); }

void CTelvarionView::SetShownPictures(const ShownPicturesFlags& flags)
{
    m_model->ShownPictures() = flags;
    RefreshPictures();
    UpdateStatusPanes();
}

// ---- rows ---------------------------------------------------------------------------------------

void CTelvarionView::FillList(
    const std::vector<std::string>& texts, const std::vector<CLineRecord>& records, bool selectFirst)
{
    FillRows(texts, records, selectFirst, m_fillName);
}

void CTelvarionView::HandOverList(
    std::vector<std::string>&& texts, std::vector<CLineRecord>&& records, bool selectFirst)
{
    FillRows(std::move(texts), std::move(records), selectFirst, m_fillName);
}

void CTelvarionView::FillRows(std::vector<std::string> texts, std::vector<CLineRecord> records, bool selectFirst,
    const std::string& name, int placedRow)
{
    DropInPlaceEditor();
    CUndoHistory& history = m_editor->History();
    // The rows of a document just read are where its history starts.
    const bool recorded = !m_fillIsBase && m_model->Count() > 0;
    m_fillIsBase = false;
    if (recorded) {
        // A pass's own fill (no command's step around it): what changed in the records alone, away
        // from where tags went in, are the pass's marks of its lines, no part of the step. Around a
        // question's placement, far enough for its anchors and the lines its handling reads.
        const bool passFill = !history.IsOpen();
        constexpr int kNear = 24;
        history.Begin(name, SelectedRow());
        for (CUndoEdit& edit : DiffRows(*m_rows, texts, records)) {
            const bool far = placedRow < 0 || edit.at + static_cast<int>(edit.after.size()) + kNear < placedRow
                || edit.at > placedRow + kNear;
            bool marksOnly = passFill && far && edit.before.size() == edit.after.size();
            for (std::size_t k = 0; marksOnly && k < edit.before.size(); ++k)
                marksOnly = edit.before[k].text == edit.after[k].text;
            // Record-only edits keep every row where it is, so the steps stay in step with the rows.
            if (!marksOnly)
                history.Record(std::move(edit));
        }
    }
    {
        CWaitCursorScope wait;
        // The rows go over in one piece and the model announces them with one signal, so there
        // is no loop here to yield in, and nothing is drawn half-filled.
        m_model->Reset(std::move(texts), std::move(records));
        RefreshPictures();
    }
    if (selectFirst && m_model->Count() > 0)
        SelectLine(0);
    if (recorded)
        history.End(*m_rows);
    UpdateStatusPanes();
}

void CTelvarionView::GetLines(std::vector<std::string>& texts, std::vector<CLineRecord>* records) const
{
    m_model->Copy(texts, records);
}

void CTelvarionView::SelectLine(std::size_t row)
{
    const int count = m_model->Count();
    if (row >= static_cast<std::size_t>(count))
        return;
    const int at = static_cast<int>(row);
    // A few lines of context on either side whenever the view has to scroll.
    scrollTo(m_model->index(std::min(at + 4, count - 1)));
    scrollTo(m_model->index(std::max(at - 4, 0)));
    const QModelIndex index = m_model->index(at);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    setFocus();
    scrollTo(index);
    ShowLinkRequisites();
}

void CTelvarionView::ShowPassRow(
    const std::vector<std::string>& texts, const std::vector<CLineRecord>& records, std::size_t row)
{
    if (texts.size() != records.size() || row >= texts.size())
        return;
    bool same = m_model->Count() >= 0 && static_cast<std::size_t>(m_model->Count()) == texts.size();
    for (int r = 0; same && r < m_model->Count(); ++r)
        same = m_model->Text(r) == texts[static_cast<std::size_t>(r)];
    if (!same)
        FillList(texts, records, false);
    SelectLine(row);
}

void CTelvarionView::RemoveAllRows()
{
    DropInPlaceEditor();
    ClearUndo();
    m_model->Clear();
    m_shownSuspicious = 0;
    UpdateStatusPanes();
}

void CTelvarionView::ClearUndo()
{
    m_editor->ClearUndo();
    m_fillIsBase = true;
}

void CTelvarionView::RefreshPictures()
{
    CWaitCursorScope wait;
    int shown = 0;
    for (int row = 0; row < m_model->Count(); ++row)
        shown += m_model->IsShownSuspicious(row) ? 1 : 0;
    m_shownSuspicious = shown;
    m_model->PicturesChanged();
}

void CTelvarionView::UpdateStatusPanes()
{
    if (m_frame) {
        const int count = m_model->Count();
        const int selected = SelectedRow();
        m_frame->SetLinePane(QStringLiteral("%1:%2").arg(selected >= 0 ? selected + 1 : 1).arg(count));
        int ordinal = 0;
        for (int row = 0; row <= selected; ++row)
            ordinal += m_model->IsShownSuspicious(row) ? 1 : 0;
        m_frame->SetSuspiciousPane(QStringLiteral("Под.стр. %1:%2").arg(ordinal).arg(m_shownSuspicious));
    }
    ShowLinkRequisites();
}

void CTelvarionView::ShowLinkRequisites()
{
    if (!m_frame)
        return;
    const int selected = SelectedRow();
    if (selected >= 0) {
        // A hidden bar keeps what it showed; it is not worth filling what nobody sees.
        if (!m_frame->IsRequisitesBarVisible())
            return;
        const CLineRecord& record = m_model->Record(selected);
        if (IsOrvoLink(record) && record.recvOrvo.nBaseNumber != -1) {
            m_frame->SetRequisitesText(FromCp1251(record.recvOrvo.Describe()));
            return;
        }
        if (IsInnerLink(record) && record.recvLocal.nBaseNumber != -1) {
            m_frame->SetRequisitesText(FromCp1251(record.recvLocal.Describe()));
            return;
        }
    }
    m_frame->SetRequisitesText(QString());
}

// ---- commands -----------------------------------------------------------------------------------

bool CTelvarionView::IsEnabled(ViewCommand command) const
{
    if (const auto tagCommand = TagCommand(command)) {
        // Choosing requisites runs an analysis of its own: not while one is under way.
        if (command == ViewCommand::ChooseRequisites && m_doc.bBusy)
            return false;
        return m_editor->IsEnabled(*tagCommand);
    }
    const int selected = SelectedRow();
    switch (command) {
    case ViewCommand::NextSuspicious:
    case ViewCommand::PrevSuspicious:
    case ViewCommand::NextOrvoLink:
    case ViewCommand::PrevOrvoLink:
    case ViewCommand::NextInnerLink:
    case ViewCommand::PrevInnerLink:
        return selected >= 0;
    case ViewCommand::Find:
        return CanFind();
    case ViewCommand::FindNext:
        return CanFindNext();
    case ViewCommand::GoToLine:
        return m_model->Count() > 0;
    case ViewCommand::ChangeFont:
    case ViewCommand::ShownPictures:
    case ViewCommand::ToggleBookmark:
    case ViewCommand::NextBookmark:
    case ViewCommand::PrevBookmark:
    case ViewCommand::ClearBookmarks:
        return true;
    case ViewCommand::ShowFoundRequisites:
        return selected >= 0 && m_model->Record(selected).nKind != LineKind::Plain; // not QFrame::Plain
    case ViewCommand::ShowLinkedDocument: {
        if (selected < 0)
            return false;
        const CLineRecord& record = m_model->Record(selected);
        return record.recvOrvo.nBaseNumber != -1
            || (record.recvLocal.nBaseNumber != -1 && record.nKind >= OrvoLinkExisting
                && record.nKind <= InnerLinkExisting);
    }
    default:
        return false;
    }
}

void CTelvarionView::Run(ViewCommand command)
{
    // A key can reach a command whose menu entry is disabled.
    if (!IsEnabled(command))
        return;
    if (const auto tagCommand = TagCommand(command)) {
        HideTip();
        m_editor->Run(*tagCommand);
        // A step taken back or put again may change any row's picture.
        if (command == ViewCommand::Undo || command == ViewCommand::Redo)
            RefreshPictures();
        UpdateStatusPanes();
        return;
    }
    const auto suspicious = [this](int row) { return m_model->IsShownSuspicious(row); };
    const auto orvoLink = [this](int row) { return IsOrvoLink(m_model->Record(row)); };
    const auto innerLink = [this](int row) { return IsInnerLink(m_model->Record(row)); };
    const QString lineFromStart = QStringLiteral("Строка не обнаружена. Продолжить поиск с начала документа?");
    const QString lineFromEnd = QStringLiteral("Строка не обнаружена. Продолжить поиск с конца документа?");
    const QString tagFromStart = QStringLiteral("Тег гиперссылки не найден. Продолжить поиск с начала документа?");
    const QString tagFromEnd = QStringLiteral("Тег гиперссылки не найден. Продолжить поиск с конца документа?");
    const QString noTag = QStringLiteral("Тег гиперссылки не найден.");
    switch (command) {
    case ViewCommand::NextSuspicious:
    case ViewCommand::PrevSuspicious:
        Navigate(command == ViewCommand::NextSuspicious ? Direction::Next : Direction::Previous, suspicious,
            lineFromStart, lineFromEnd, QStringLiteral("Строка не обнаружена"), QStringLiteral("Строка не обнаружена."));
        break;
    case ViewCommand::NextOrvoLink:
    case ViewCommand::PrevOrvoLink:
        Navigate(command == ViewCommand::NextOrvoLink ? Direction::Next : Direction::Previous, orvoLink, tagFromStart,
            tagFromEnd, noTag, noTag);
        break;
    case ViewCommand::NextInnerLink:
    case ViewCommand::PrevInnerLink:
        Navigate(command == ViewCommand::NextInnerLink ? Direction::Next : Direction::Previous, innerLink,
            tagFromStart, tagFromEnd, noTag, noTag);
        break;
    case ViewCommand::Find:
        OnFind();
        break;
    case ViewCommand::FindNext:
        OnFindNext();
        break;
    case ViewCommand::GoToLine:
        GoToLine();
        break;
    case ViewCommand::ChangeFont:
        ChangeFont();
        break;
    case ViewCommand::ShownPictures:
        emit ShownPicturesRequested();
        break;
    case ViewCommand::ToggleBookmark:
        ToggleBookmark();
        break;
    case ViewCommand::NextBookmark:
        NavigateBookmark(Direction::Next);
        break;
    case ViewCommand::PrevBookmark:
        NavigateBookmark(Direction::Previous);
        break;
    case ViewCommand::ClearBookmarks:
        ClearBookmarks();
        break;
    case ViewCommand::ShowFoundRequisites:
        ShowFoundRequisites();
        break;
    case ViewCommand::ShowLinkedDocument:
        ShowLinkedDocument();
        break;
    default:
        break;
    }
}

template <typename Match>
void CTelvarionView::Navigate(Direction direction, Match match, const QString& askFromStart, const QString& askFromEnd,
    const QString& notFoundNext, const QString& notFoundPrevious)
{
    const int selected = SelectedRow();
    if (selected < 0)
        return;
    const int count = m_model->Count();
    // Rows from first towards last (both included) in steps of step; -1 when none matches. An
    // empty range stays empty: the selected row itself is never searched.
    const auto scan = [&](int first, int last, int step) {
        for (int row = first; step > 0 ? row <= last : row >= last; row += step)
            if (match(row))
                return row;
        return -1;
    };
    const bool next = direction == Direction::Next;
    int found = next ? scan(selected + 1, count - 1, 1) : scan(selected - 1, 0, -1);
    if (found < 0) {
        if (!ViewAskYesNo(this, next ? askFromStart : askFromEnd))
            return;
        found = next ? scan(0, selected - 1, 1) : scan(count - 1, selected + 1, -1);
        if (found < 0) {
            ViewMessageBox(this, QMessageBox::Critical, next ? notFoundNext : notFoundPrevious);
            return;
        }
    }
    SelectAndReport(found);
}

void CTelvarionView::SelectAndReport(int row)
{
    SelectLine(static_cast<std::size_t>(row));
    UpdateStatusPanes();
}

void CTelvarionView::NavigateBookmark(Direction direction)
{
    CWaitCursorScope wait;
    const int selected = SelectedRow();
    if (selected < 0)
        return;
    const int count = m_model->Count();
    const auto marked = [this](int row) { return m_model->Record(row).bBookmark != 0; };
    int found = -1;
    // Wraps silently: the rows after the selection, then the ones before it.
    if (direction == Direction::Next) {
        for (int row = selected + 1; row < count && found < 0; ++row)
            found = marked(row) ? row : -1;
        for (int row = 0; row < selected && found < 0; ++row)
            found = marked(row) ? row : -1;
    } else {
        for (int row = selected - 1; row >= 0 && found < 0; --row)
            found = marked(row) ? row : -1;
        for (int row = count - 1; row > selected && found < 0; --row)
            found = marked(row) ? row : -1;
    }
    if (found >= 0)
        SelectAndReport(found);
}

void CTelvarionView::ToggleBookmark()
{
    // Bookmarks are the editor's own marks: neither an undo step nor a change of the document.
    const int selected = SelectedRow();
    if (selected >= 0)
        m_model->SetBookmark(selected, m_model->Record(selected).bBookmark == 0);
}

void CTelvarionView::ClearBookmarks()
{
    CWaitCursorScope wait;
    for (int row = 0; row < m_model->Count(); ++row)
        if (m_model->Record(row).bBookmark)
            m_model->SetBookmark(row, false);
}

void CTelvarionView::GoToLine()
{
    CGotoLineDlg dialog(m_model->Count(), this);
    if (dialog.exec() == QDialog::Accepted)
        GoToLineNumber(dialog.Number());
}

void CTelvarionView::GoToLineNumber(int number)
{
    if (number >= 1 && number <= m_model->Count())
        SelectLine(static_cast<std::size_t>(number - 1));
    else
        m_doc.Ui().ShowStatusText(QStringLiteral("Строки %1 нет: в документе строки от 1 до %2")
                                      .arg(number)
                                      .arg(m_model->Count())
                                      .toStdString());
    UpdateStatusPanes();
}

void CTelvarionView::ApplyDocumentFont() { setFont(FontFromSettings(m_doc.settings)); }

void CTelvarionView::SetViewFont(const QFont& font)
{
    setFont(font);
    m_doc.settings.fontFace = ToCp1251(font.family());
    m_doc.settings.fontPitchAndFamily = PitchAndFamily(font);
    m_doc.StoreChangedSettings();
}

void CTelvarionView::ChangeFont()
{
    QFont start = FontFromSettings(m_doc.settings);
    // The dialog counts in points; 13 pixels on this screen.
    start.setPointSizeF(kFontPixels * 72.0 / std::max(1, logicalDpiY()));
    QFontDialog dialog(start, this);
    dialog.setWindowTitle(QStringLiteral("Шрифт"));
    if (dialog.exec() == QDialog::Accepted)
        SetViewFont(dialog.selectedFont());
}

void CTelvarionView::InsertHotTag(int slot)
{
    m_editor->InsertHotTag(slot);
    UpdateStatusPanes();
}

void CTelvarionView::InsertOrvoTagByNumber(std::int32_t number)
{
    m_editor->InsertOrvoTagByNumber(number);
    setFocus();
    UpdateStatusPanes();
}

// ---- the in-place anchor editor ---------------------------------------------------------------

void CTelvarionView::OpenInPlaceEditor(int row)
{
    if (row < 0)
        row = SelectedRow();
    if (auto* open = qobject_cast<CInPlaceEdit*>(m_inPlaceEditor.data()))
        InPlaceEditEnded(open);
    if (row < 0 || row >= m_model->Count())
        return;
    if (m_editor->IsAwaiting(row)) {
        m_doc.Ui().Beep();
        m_doc.Ui().ShowStatusText("Тег ждёт ответа на вопрос о нём: изменить его можно после ответа.");
        return;
    }
    HideTip();
    const QModelIndex index = m_model->index(row);
    scrollTo(index);
    // The picture stays in sight at the left.
    const QRect rect = visualRect(index).adjusted(CLineDelegate::kTextLeft, 0, 0, 0);
    auto* editor = new CInPlaceEdit(row, m_model->Text(row), viewport());
    editor->setFont(font());
    editor->setGeometry(rect.left(), rect.top(), std::max(rect.width(), viewport()->width() - rect.left()), rect.height());
    connect(editor, &CInPlaceEdit::EditEnded, this, [this, editor] { InPlaceEditEnded(editor); });
    m_inPlaceEditor = editor;
    editor->show();
    editor->setFocus(Qt::OtherFocusReason);
}

void CTelvarionView::InPlaceEditEnded(CInPlaceEdit* editor)
{
    if (m_inPlaceEditor != editor)
        return;
    m_inPlaceEditor = nullptr;
    // The editor is inside its own event handler now: it goes when that is over.
    editor->hide();
    editor->deleteLater();
    if (!editor->IsCancelled())
        m_editor->CommitLineEdit(editor->Row(), editor->LineText());
    setFocus(Qt::OtherFocusReason);
    viewport()->update();
    UpdateStatusPanes();
}

void CTelvarionView::ShowFoundRequisites()
{
    CFoundRecvDlg dialog(m_model->Record(SelectedRow()).recvFound, this);
    dialog.exec();
}

void CTelvarionView::ShowLinkedDocument()
{
    const CLineRecord& record = m_model->Record(SelectedRow());
    const CDocRecvisits& linked = record.recvOrvo.nBaseNumber != -1 ? record.recvOrvo : record.recvLocal;
    ViewMessageBox(this, QMessageBox::Information, FromCp1251(linked.Describe()));
}

// ---- the confirmation of the analyses ---------------------------------------------------------

int CTelvarionView::AskTagCandidates(const std::vector<CDocRecvisits>& linked, std::vector<std::string>& texts,
    std::vector<CLineRecord>& records, std::size_t row)
{
    // The placement is a step of the history; declined, it goes again unless a step followed.
    CUndoHistory& history = m_editor->History();
    const CUndoHistory::CMark before = history.Mark();
    FillRows(texts, records, false, "размещение ссылок строки " + std::to_string(row + 1), static_cast<int>(row));
    const CUndoHistory::CMark placed = history.Mark();
    SelectLine(row);
    UpdateStatusPanes();

    std::string text;
    for (const CDocRecvisits& document : linked) {
        if (!text.empty())
            text += kSeparator;
        text += document.Describe();
    }

    QPointer<CTelvarionView> self(this);
    const bool local = row < records.size() && records[row].nKind == InnerLinkNew;
    auto* dialog = new CInsertTagDlg(FromCp1251(text), local, this);
    m_question = dialog;
    m_editor->SetQuestionOpen(true);
    // A loop of its own: the view and its commands stay live while the person decides, and the
    // pass waits here without spinning.
    QEventLoop wait;
    connect(dialog, &CInsertTagDlg::Answered, &wait, &QEventLoop::quit);
    connect(dialog, &QObject::destroyed, &wait, &QEventLoop::quit);
    dialog->show();
    // Each question takes the keyboard, however the last one was answered: Enter is Да here,
    // never a command of the line view.
    dialog->raise();
    dialog->activateWindow();
    if (!dialog->IsAnswered())
        wait.exec();
    if (!self)
        return AnswerCancel;
    m_editor->SetQuestionOpen(false);

    // An application that quits ends every loop; that counts as Отмена.
    const int answer = (m_question && m_question->IsAnswered()) ? m_question->Answer() : AnswerCancel;
    delete m_question;
    if (answer != AnswerYes && placed.serial != before.serial && history.Mark().serial == placed.serial) {
        history.RollBack(*m_rows, before);
        RefreshPictures();
        UpdateStatusPanes();
    }
    // The person may have changed rows meanwhile; the pass goes on with what the view holds.
    GetLines(texts, &records);
    return answer;
}

bool CTelvarionView::IsAsking() const { return m_question && !m_question->IsAnswered(); }

void CTelvarionView::CancelQuestion()
{
    if (IsAsking())
        m_question->reject();
}

// ---- the layers below ---------------------------------------------------------------------------

std::string CTelvarionView::RowText(int row) const { return m_model->Text(row); }

void CTelvarionView::RowFound(int row)
{
    CFindableListView::RowFound(row);
    UpdateStatusPanes();
}

int CTelvarionView::TextOffset(const QModelIndex&) const { return CLineDelegate::kTextLeft; }

int CTelvarionView::TextWidth(const QModelIndex& index) const
{
    return static_cast<int>(std::ceil(CLineDelegate::LineWidth(font(), m_model->Text(index.row()))));
}

void CTelvarionView::PaintTip(QPainter& painter, const QRect& rect, const QModelIndex& index) const
{
    const int picture = m_model->Picture(index.row());
    if (picture != PictureNone)
        LinePictureIcon(picture).paint(&painter,
            QRect(rect.left() + CLineDelegate::kPictureLeft, rect.top() + (rect.height() - CLineDelegate::kPictureSize) / 2,
                CLineDelegate::kPictureSize, CLineDelegate::kPictureSize));
    CLineDelegate::DrawLine(painter, rect.adjusted(CLineDelegate::kTextLeft, 0, 0, 0), font(),
        m_model->Text(index.row()), CLineDelegate::TipColours(palette()));
}

// ---- keys and mouse -----------------------------------------------------------------------------

namespace {

enum class ViewKey { None, Help, Left, Right, HotDigit, Edit };

ViewKey Classify(const QKeyEvent* event, bool editorOpen)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    if (key == Qt::Key_F1 && modifiers == Qt::NoModifier)
        return ViewKey::Help;
    if (!editorOpen && modifiers == Qt::NoModifier && key == Qt::Key_Left)
        return ViewKey::Left;
    if (!editorOpen && modifiers == Qt::NoModifier && key == Qt::Key_Right)
        return ViewKey::Right;
    if (modifiers == Qt::ControlModifier && key >= Qt::Key_0 && key <= Qt::Key_9)
        return ViewKey::HotDigit;
    if (!editorOpen && modifiers == Qt::NoModifier && (key == Qt::Key_Return || key == Qt::Key_Enter))
        return ViewKey::Edit;
    return ViewKey::None;
}

} // namespace

bool CTelvarionView::event(QEvent* event)
{
    // These keys are the view's own while it has the focus, whatever shortcuts the window binds.
    if (event->type() == QEvent::ShortcutOverride
        && Classify(static_cast<QKeyEvent*>(event), m_inPlaceEditor != nullptr) != ViewKey::None) {
        event->accept();
        return true;
    }
    return CFindableListView::event(event);
}

void CTelvarionView::keyPressEvent(QKeyEvent* event)
{
    switch (Classify(event, m_inPlaceEditor != nullptr)) {
    case ViewKey::Help:
        // No context help from the list; the status bar says where the help is.
        m_doc.Ui().ShowStatusText(
            "Справка открывается из меню «Справка → Справка»; клавиша F1 открывает её вне списка строк");
        event->accept();
        return;
    case ViewKey::Left:
        HideTip();
        Run(ViewCommand::PrevSuspicious);
        break;
    case ViewKey::Right:
        HideTip();
        Run(ViewCommand::NextSuspicious);
        break;
    case ViewKey::HotDigit:
        HideTip();
        InsertHotTag(event->key() - Qt::Key_0);
        break;
    case ViewKey::Edit:
        OpenInPlaceEditor();
        return;
    case ViewKey::None:
        // Keys the list leaves alone go on to the window.
        CFindableListView::keyPressEvent(event);
        UpdateStatusPanes();
        return;
    }
    event->accept();
    UpdateStatusPanes();
}

void CTelvarionView::mousePressEvent(QMouseEvent* event)
{
    CFindableListView::mousePressEvent(event);
    UpdateStatusPanes();
}

void CTelvarionView::mouseDoubleClickEvent(QMouseEvent* event)
{
    CFindableListView::mouseDoubleClickEvent(event);
    UpdateStatusPanes();
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid())
        OpenInPlaceEditor(index.row());
}

void CTelvarionView::showEvent(QShowEvent* event)
{
    CFindableListView::showEvent(event);
    if (!m_initialised) {
        m_initialised = true;
        ApplyDocumentFont();
        UpdateStatusPanes();
    }
}
