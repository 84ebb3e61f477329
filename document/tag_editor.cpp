#include "document/tag_editor.h"

#include <algorithm>
#include <utility>

#include "core/anchor_marks.h"
#include "base/codepage.h"
#include "core/tag_line.h"
#include "document/telvarion_doc.h"
#include "seam/user_interface.h"
#include "storage/doc_dict.h"

namespace {

// The tags that can be cut, copied and moved: every kind but the intra-base one read from the file.
bool IsMovableTagKind(std::int32_t kind) { return kind >= OrvoLinkExisting && kind <= InnerLinkNew; }

const char* const kOrvoLaterQuestion
    = "Документ Орво имеет более позднюю дату принятия чем обрабатываемый документ!\nПоставить тег?";
const char* const kInnerLaterQuestion
    = "Документ имеет более позднюю дату принятия чем обрабатываемый документ!\nПоставить тег?";

CLineRecord OrvoTagRecord(const CDocRecvisits& linked)
{
    CLineRecord record;
    record.nKind = OrvoLinkNew;
    record.recvOrvo = linked;
    return record;
}

} // namespace

CTagEditor::CTagEditor(CTelvarionDoc& doc, CUserInterface& ui, CLineRows& rows)
    : m_doc(doc)
    , m_ui(ui)
    , m_recorder(rows, m_history)
    , m_rows(m_recorder)
{
}

bool CTagEditor::IsEnabled(Command command) const
{
    const int selected = m_rows.Selected();
    const int count = m_rows.Count();
    const std::int32_t kind = selected >= 0 ? m_rows.Record(selected).nKind : Plain;
    switch (command) {
    case Command::PlaceOrvoTag:
    case Command::PlaceInnerTag:
        return selected >= 0;
    case Command::DeleteTag:
        return selected >= 0 && IsTagKind(kind) && !IsAwaiting(selected);
    case Command::CutTag:
        return selected >= 0 && IsMovableTagKind(kind) && !IsAwaiting(selected);
    case Command::CopyTag:
        return selected >= 0 && IsMovableTagKind(kind);
    case Command::PasteTag:
        return selected >= 0 && !m_clipboard.text.empty();
    case Command::MoveDown:
        return selected >= 0 && IsMovableTagKind(kind) && selected + 1 < count && !IsAwaiting(selected)
            && !IsAwaiting(selected + 1);
    case Command::MoveUp:
        return selected > 0 && IsMovableTagKind(kind) && !IsAwaiting(selected) && !IsAwaiting(selected - 1);
    case Command::Undo:
        return HasUndo() && !(m_questionOpen && m_history.TopId() <= m_questionFloor);
    case Command::Redo:
        return HasRedo();
    case Command::ChooseRequisites:
        return selected >= 0 && kind == Suspicious;
    }
    return false;
}

void CTagEditor::SetQuestionOpen(bool open)
{
    m_questionOpen = open;
    m_questionFloor = open ? m_history.TopId() : 0;
}

bool CTagEditor::IsAwaiting(int row) const
{
    return m_questionOpen && row >= 0 && row < m_rows.Count() && m_rows.Record(row).bAwaiting != 0;
}

void CTagEditor::Run(Command command)
{
    if (!IsEnabled(command))
        return;
    switch (command) {
    case Command::PlaceOrvoTag:
        PlaceOrvoTag();
        break;
    case Command::PlaceInnerTag:
        PlaceInnerTag();
        break;
    case Command::DeleteTag:
        DeleteTag();
        break;
    case Command::CutTag:
        CutTag();
        break;
    case Command::CopyTag:
        CopyTag();
        break;
    case Command::PasteTag:
        PasteTag();
        break;
    case Command::MoveDown:
        MoveTag(1);
        break;
    case Command::MoveUp:
        MoveTag(-1);
        break;
    case Command::Undo:
        UndoLastChange();
        break;
    case Command::Redo:
        RedoLastUndone();
        break;
    case Command::ChooseRequisites:
        ChooseRequisites();
        break;
    }
}

bool CTagEditor::AcceptsLaterDates(const CDocRecvisits& linked, bool orvo)
{
    const COleDate effective = m_doc.GetEffectiveDate();
    if (effective.IsNoDate())
        return true;
    const char* question = orvo ? kOrvoLaterQuestion : kInnerLaterQuestion;
    const auto declined = [&] { return m_ui.MessageBox(question, MsgIcon::Question, MsgButtons::YesNo) != AnswerYes; };
    if (!linked.adoptionDates.empty()) {
        const COleDate latest = *std::max_element(linked.adoptionDates.begin(), linked.adoptionDates.end());
        if (latest > effective && declined())
            return false;
    }
    if (linked.editionDate > effective && declined())
        return false;
    return true;
}

void CTagEditor::NotFound(std::int32_t number)
{
    ShowError(m_ui, "Документ \"" + std::to_string(number) + "\" в базе не найден.");
}

bool CTagEditor::MarkAnchorBelow(int tagRow)
{
    const int line = tagRow + 1;
    if (tagRow < 0 || line >= m_rows.Count())
        return false;
    const CLineRecord& tag = m_rows.Record(tagRow);
    const CDocRecvisits& linked = tag.recvOrvo.nBaseNumber != -1 ? tag.recvOrvo : tag.recvLocal;
    std::string text = m_rows.Text(line);
    if (!MarkTypeAnchor(text, linked.types))
        return false;
    if (text != m_rows.Text(line))
        m_rows.SetText(line, std::move(text));
    m_rows.Select(tagRow);
    return true;
}

void CTagEditor::InsertTagRow(int row, std::string text, CLineRecord record)
{
    m_rows.Insert(row, std::move(text), std::move(record));
    m_doc.SetModified();
    m_rows.Select(row);
    MarkAnchorBelow(row);
}

void CTagEditor::PlaceOrvoTag()
{
    ManualTagRequest request;
    request.recentNumbers = &m_doc.recentOrvo.Numbers();
    request.notepad = &m_doc.settings.notepad;
    request.accepts = [this](const std::string& typed) {
        CDocRecvisits linked;
        return LookUpManual(true, typed, linked);
    };
    PlaceManualTag(true, m_ui.AskOrvoTagNumber(request));
}

void CTagEditor::PlaceInnerTag()
{
    ManualTagRequest request;
    request.recentNumbers = &m_doc.recentLocal.Numbers();
    request.accepts = [this](const std::string& typed) {
        CDocRecvisits linked;
        return LookUpManual(false, typed, linked);
    };
    const ManualTagAnswer answer = m_ui.AskInnerTag(request);
    if (!answer.tag.empty())
        PlaceManualTag(false, answer);
}

bool CTagEditor::LookUpManual(bool orvo, const std::string& numberText, CDocRecvisits& linked)
{
    const std::int32_t number = DecimalPrefix(numberText);
    CDocDict& documents = orvo ? static_cast<CDocDict&>(m_doc.orvoMaker.documents)
                               : static_cast<CDocDict&>(m_doc.innerMaker.documents);
    bool found = false;
    {
        CWaitCursor wait(m_ui);
        found = documents.FindByNumber(number, linked);
    }
    if (!found)
        NotFound(number);
    return found;
}

void CTagEditor::PlaceManualTag(bool orvo, const ManualTagAnswer& answer)
{
    if (!answer.ok)
        return;
    const int row = m_rows.Selected();
    const std::int32_t number = DecimalPrefix(answer.numberText);
    CDocRecvisits linked;
    if (!LookUpManual(orvo, answer.numberText, linked))
        return;
    if (!AcceptsLaterDates(linked, orvo))
        return;
    (orvo ? m_doc.recentOrvo : m_doc.recentLocal).AddNumber(linked.nBaseNumber);
    const CUndoScope step = Step("вставку тега");
    if (orvo) {
        InsertTagRow(row, FormatOrvoTag(number), OrvoTagRecord(linked));
    } else {
        CLineRecord record;
        record.nKind = InnerLinkNew;
        record.recvLocal = linked;
        InsertTagRow(row, answer.tag, std::move(record));
    }
}

void CTagEditor::InsertHotTag(int slot)
{
    const int row = m_rows.Selected();
    if (row < 0)
        return;
    const std::int32_t number = m_doc.HotDocument(slot);
    if (number == 0) {
        m_ui.Beep();
        m_ui.ShowStatusText("Ctrl+" + std::to_string(slot) + ": \"горячий\" документ не задан (Словари → \"Горячие\" документы)");
        return;
    }
    CDocRecvisits linked;
    if (!m_doc.orvoMaker.documents.FindByBaseNumber(number, linked)) {
        NotFound(number);
        return;
    }
    if (!AcceptsLaterDates(linked, true))
        return;
    const CUndoScope step = Step("вставку тега");
    InsertTagRow(row, FormatOrvoTag(number), OrvoTagRecord(linked));
}

void CTagEditor::InsertOrvoTagByNumber(std::int32_t number)
{
    // Tags belong to a document; with none open there is nowhere to put one.
    if (m_rows.Count() == 0)
        return;
    const int row = std::max(m_rows.Selected(), 0);
    const CUndoScope step = Step("вставку тега");
    CDocRecvisits linked;
    // A number missing from the dictionary still gets its tag, without requisites: the search
    // found it in the same dictionary a moment ago.
    if (!m_doc.orvoMaker.documents.FindByBaseNumber(number, linked))
        linked = CLineRecord().recvOrvo;
    InsertTagRow(row, FormatOrvoTag(number), OrvoTagRecord(linked));
}

void CTagEditor::DeleteTag()
{
    const int row = m_rows.Selected();
    const CUndoScope step = Step("удаление тега");
    m_rows.Remove(row);
    m_doc.SetModified();
    if (row < m_rows.Count())
        m_rows.Select(row);
    else
        m_rows.ClearSelection();
}

void CTagEditor::CopyTag()
{
    const int row = m_rows.Selected();
    m_clipboard.text = m_rows.Text(row);
    m_clipboard.record = m_rows.Record(row);
    m_clipboard.record.bAwaiting = 0;
    // A pasted tag is a new one, of its own base.
    if (m_clipboard.record.nKind != InnerLinkNew)
        m_clipboard.record.nKind = OrvoLinkNew;
}

void CTagEditor::CutTag()
{
    const int row = m_rows.Selected();
    const CUndoScope step = Step("вырезание тега");
    CopyTag();
    m_rows.Remove(row);
    m_doc.SetModified();
    m_rows.ClearSelection();
}

void CTagEditor::PasteTag()
{
    const int row = m_rows.Selected();
    // The question of the link's own base: an intra-base tag is checked against the local document.
    const bool inner = m_clipboard.record.nKind == InnerLinkNew;
    if (!AcceptsLaterDates(inner ? m_clipboard.record.recvLocal : m_clipboard.record.recvOrvo, !inner))
        return;
    const CUndoScope step = Step("вставку тега из буфера");
    InsertTagRow(row, m_clipboard.text, m_clipboard.record);
}

void CTagEditor::MoveTag(int step)
{
    const int row = m_rows.Selected();
    const int other = row + step;
    const CUndoScope undoStep = Step(step < 0 ? "перемещение тега вверх" : "перемещение тега вниз");
    m_rows.Swap(row, other);
    m_rows.Select(other);
    m_doc.SetModified();
}

void CTagEditor::UndoLastChange()
{
    CWaitCursor wait(m_ui);
    // Marks of a question that has been answered since the step mean nothing any more.
    if (m_history.Undo(m_recorder.Inner(), m_questionOpen))
        m_doc.SetModified();
}

void CTagEditor::RedoLastUndone()
{
    CWaitCursor wait(m_ui);
    if (m_history.Redo(m_recorder.Inner(), m_questionOpen))
        m_doc.SetModified();
}

void CTagEditor::CommitLineEdit(int row, std::string text)
{
    if (row < 0 || row >= m_rows.Count() || text == m_rows.Text(row) || IsAwaiting(row))
        return;
    const CUndoScope step = Step("правку строки");
    m_rows.SetText(row, std::move(text));
    m_doc.SetModified();
}

void CTagEditor::ChooseRequisites()
{
    const int s = m_rows.Selected();
    std::string context;
    for (int row = std::max(s - 2, 0); row <= s + 1 && row < m_rows.Count(); ++row) {
        if (!context.empty())
            context += '\n';
        context += m_rows.Text(row);
    }
    std::vector<CLineRecord> candidates;
    if (!m_doc.ProposeByChosenRequisites(m_rows.Record(s), context, candidates) || candidates.empty())
        return;

    std::vector<std::string> texts;
    std::vector<CLineRecord> records;
    m_rows.Copy(texts, records);
    m_rows.Select(s);
    std::size_t accepted = 0;
    for (CLineRecord& candidate : candidates) {
        std::string tag;
        if (candidate.nKind == OrvoLinkNew && candidate.recvOrvo.nBaseNumber != -1) {
            tag = FormatOrvoTag(candidate.recvOrvo.nBaseNumber);
            candidate.recvLocal = CLineRecord().recvLocal;
        } else {
            // A local document: the tag's kind, line and keys come from the person. The line's own
            // Orvo proposal does not belong to this tag.
            candidate.recvOrvo = CLineRecord().recvOrvo;
            InnerTagRequest request;
            request.text = candidate.recvLocal.Describe();
            request.number = candidate.recvLocal.nBaseNumber;
            const InnerTagAnswer answer = m_ui.AskInnerTagParameters(request);
            if (answer.answer == AnswerNo)
                continue;
            if (answer.answer != AnswerYes)
                break;
            tag = answer.tag;
        }
        // The bookmark is the suspicious line's, not its new tag's.
        candidate.bBookmark = 0;
        const std::size_t at = static_cast<std::size_t>(s) + 1 + accepted;
        texts.insert(texts.begin() + static_cast<std::ptrdiff_t>(at), std::move(tag));
        records.insert(records.begin() + static_cast<std::ptrdiff_t>(at), std::move(candidate));
        CTelvarionDoc::MarkAnchorForRow(texts, records, at);
        ++accepted;
    }
    if (accepted == 0)
        return;
    // The rows as the dialogs found them, the new tags among them: the step keeps only those.
    m_rows.Select(s);
    const CUndoScope step = Step("выбор реквизитов документа");
    m_rows.Replace(std::move(texts), std::move(records));
    m_doc.SetModified();
    m_rows.Select(s);
}
