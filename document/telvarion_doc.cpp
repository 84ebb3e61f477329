#include "document/telvarion_doc.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "base/platform.h"
#include "document/review_store.h"
#include "document/tag_editor.h"
#include "seam/user_interface.h"
#include "storage/archive.h"
#include "storage/atomic_file.h"
#include "storage/service_file.h"

namespace {

const char* const kRlaFilter = "Тексты документов (*.rla)|*.rla||";

std::string MakerCounts(const CRefMaker& maker)
{
    return "Количество подозрительных строк: " + std::to_string(maker.nSuspiciousLines)
        + "\nКоличество тегов, проставленных программой: " + std::to_string(maker.nPlacedTags)
        + "\nКоличество тегов, которые уже были в документе: " + std::to_string(maker.nExistingTags);
}

// The part of a path after its last separator (the whole path when there is none).
std::string FileNameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code ec;
    if (std::filesystem::equivalent(platform::ToFsPath(a), platform::ToFsPath(b), ec))
        return true;
    return !ec ? false : platform::ToFsPath(a).lexically_normal() == platform::ToFsPath(b).lexically_normal();
}

} // namespace

CTelvarionDoc::CTelvarionDoc(CUserInterface& ui, std::string programFolder)
    : orvoMaker(ui)
    , innerMaker(ui)
    , reviewFolder(review_store::DefaultFolder())
    , m_ui(ui)
    , m_programFolder(std::move(programFolder))
{
    LinkMakers();
}

CTelvarionDoc::CTelvarionDoc(CUserInterface& ui, CTelvarionDoc& shared)
    : settings(shared.settings)
    , recentOrvo(shared.recentOrvo)
    , recentLocal(shared.recentLocal)
    , orvoMaker(ui, shared.orvoMaker)
    , innerMaker(ui, shared.innerMaker)
    , reviewFolder(shared.reviewFolder)
    , m_ui(ui)
    , m_programFolder(shared.m_programFolder)
    , m_readOnly(true)
{
    LinkMakers();
}

void CTelvarionDoc::LinkMakers()
{
    const auto showSettings = [this](SelectDocumentsRequest& request) {
        request.fontFace = settings.fontFace;
        request.fontPitchAndFamily = settings.fontPitchAndFamily;
        request.notepad = &settings.notepad;
    };
    const CRefMaker::DocumentLink link { [this] { SetModified(); }, showSettings, &text.headerLines,
        [this](const CReviewNote& note) { review.Add(note); } };
    orvoMaker.SetDocument(link);
    innerMaker.SetDocument(link);
}

CTelvarionDoc::~CTelvarionDoc()
{
    if (m_storeAtEnd)
        StoreServiceData();
    // A clean end: whatever the person chose for the document was done.
    DropRecovery();
    m_recoveryWriter.reset();
}

bool& CTelvarionDoc::LocalBaseChosen()
{
    // Starts as the local base with every run; never stored.
    static bool local = true;
    return local;
}

bool CTelvarionDoc::IsEnabled(Command command) const
{
    switch (command) {
    case Command::Open:
    case Command::Exit:
        return !bBusy;
    case Command::Save:
    case Command::SaveAs:
        // Also unmodified: a document that needed no tag is moved to the output folder all the same.
        return !currentPath.empty() && !bBusy;
    case Command::Delete:
        return !currentPath.empty() && !bBusy;
    case Command::Reanalyse:
        return !currentPath.empty() && !bBusy;
    case Command::Statistics:
    case Command::Settings:
    case Command::HotDocuments:
    case Command::Notepad:
    case Command::OrvoSearch:
        return true;
    case Command::OrvoKeywords:
    case Command::OrvoTypes:
    case Command::OrvoBodies:
    case Command::LocalTypes:
    case Command::LocalBodies:
        // A pass works on these dictionaries; changing them under it is not safe.
        return !bBusy;
    case Command::ImportOrvo:
    case Command::ImportLocal:
        // The import replaces the titles file at once: not in a folder this run may not write.
        return !bBusy && !m_readOnly;
    }
    return false;
}

void CTelvarionDoc::OnFileOpen()
{
    if (!IsEnabled(Command::Open))
        return;
    FileDialogRequest request;
    request.filter = kRlaFilter;
    request.initialDir = settings.inputFolder;
    std::string path;
    if (!m_ui.AskOpenFileName(request, path))
        return;
    if (bModified) {
        const int answer = m_ui.MessageBox("Сохранить файл " + currentPath + "?", MsgIcon::Question, MsgButtons::YesNoCancel);
        if (answer == AnswerCancel)
            return;
        // A text that could not be written keeps the document open: its edits are not lost.
        if (answer == AnswerYes && !WriteText())
            return;
    }
    OpenFile(path);
}

bool CTelvarionDoc::OpenFile(const std::string& path, bool showStatistics)
{
    CWaitCursor wait(m_ui);
    // Read into a fresh text: a file that cannot be read leaves the open document as it was.
    CRlaText fresh;
    std::uint64_t bytesHash = 0;
    if (!fresh.ReadRla(path, m_ui, &bytesHash))
        return false;
    // Taken after the read: a change meanwhile gives bytes other than those hashed.
    m_knownFiles = { { path, { StampOf(path), bytesHash } } };
    text = std::move(fresh);
    bModified = 0;
    m_changes = 0;
    bInOutputFolder = 0;
    // The document before was saved or given up by the person's choice.
    DropRecovery();
    // Such a file opens as all header: an empty view with zero counts would say nothing of why.
    if (!text.HasTextStart())
        m_ui.MessageBox("В файле " + path + " нет строки \"$18  Текст документа\": в нём нет текста документа, "
            "ссылки искать не в чем. Файл не изменён.", MsgIcon::Warning);

    bBusy = 1;
    // While the document is open its lines are the view's rows; a save takes them back from there.
    std::vector<std::string> texts = std::move(text.textLines);
    text.textLines.clear();
    std::vector<CLineRecord> records(texts.size());
    // A new document has nothing to undo; what its analyses place are its first steps.
    m_ui.ClearUndo();
    m_ui.NameFills("разбор документа");
    m_ui.FillList(texts, records, true);
    // Room for the tags the analyses place, so that the lists do not double their size (and hold
    // both sizes at once) when the first tags go in.
    const std::size_t room = texts.size() + texts.size() / 8 + 64;
    texts.reserve(room);
    records.reserve(room);
    currentPath = path;
    RememberOutputFile();
    UpdateTitle();
    review.Clear();
    RestoreReview(path, bytesHash, texts, records);
    RunAnalyses(texts, records, true);
    KeepCounts();
    m_ui.HandOverList(std::move(texts), std::move(records), true);
    m_ui.BringToFront();
    if (showStatistics && m_ui.PlacesCertainLinksOnly())
        m_ui.ShowReview(GetStatisticsText());
    else if (showStatistics)
        ShowInfo(m_ui, GetStatisticsText());
    bBusy = 0;
    return true;
}

void CTelvarionDoc::RunAnalyses(std::vector<std::string>& texts, std::vector<CLineRecord>& records, bool full)
{
    const COleDate effective = GetEffectiveDate();
    // The Orvo analysis first, so that the local one sees the inter-base tags it placed.
    for (CRefMaker* maker : { static_cast<CRefMaker*>(&orvoMaker), static_cast<CRefMaker*>(&innerMaker) }) {
        if (full) {
            maker->ResetCounters(true);
            maker->ScanLines(texts, records);
        } else {
            maker->BeginReanalysis(records);
        }
        maker->AnalyseLines(texts, records, effective);
    }
}

void CTelvarionDoc::DecideReviewRow(std::size_t row)
{
    if (row >= review.Size() || bBusy)
        return;
    std::vector<std::string> texts;
    std::vector<CLineRecord> records;
    m_ui.GetLines(texts, &records);
    const std::vector<CReviewPlace> places = review.Places(records);
    if (places[row].line == static_cast<std::size_t>(-1) || places[row].state != ReviewOpen)
        return;
    bBusy = 1;
    CRefMaker& maker = review.Rows()[row].local ? static_cast<CRefMaker&>(innerMaker) : orvoMaker;
    const std::vector<std::size_t> placed = maker.AnalyseLine(texts, records, GetEffectiveDate(), places[row].line);
    review.Decided(records, row, placed);
    const std::size_t line = review.Places(records)[row].line;
    m_ui.HandOverList(std::move(texts), std::move(records), false);
    m_ui.SelectLine(line);
    bBusy = 0;
}

void CTelvarionDoc::OnReanalyse()
{
    if (!IsEnabled(Command::Reanalyse))
        return;
    bBusy = 1;
    std::vector<std::string> texts;
    std::vector<CLineRecord> records;
    m_ui.GetLines(texts, &records);
    m_ui.NameFills("повторный разбор");
    RunAnalyses(texts, records, false);
    if (orvoMaker.PassStopped() || innerMaker.PassStopped())
        RestoreCounts();
    else
        KeepCounts();
    m_ui.HandOverList(std::move(texts), std::move(records), true);
    bBusy = 0;
    // The lines a re-analysis without questions linked or left open join the review.
    if (m_ui.PlacesCertainLinksOnly())
        m_ui.ShowReview(GetStatisticsText());
    else
        ShowInfo(m_ui, GetStatisticsText());
}

void CTelvarionDoc::KeepCounts()
{
    const CRefMaker* makers[] = { &orvoMaker, &innerMaker };
    for (std::size_t k = 0; k < 2; ++k)
        m_wholeCounts[k] = { makers[k]->nSuspiciousLines, makers[k]->nPlacedTags, makers[k]->nExistingTags };
}

void CTelvarionDoc::RestoreCounts()
{
    CRefMaker* makers[] = { &orvoMaker, &innerMaker };
    for (std::size_t k = 0; k < 2; ++k) {
        makers[k]->nSuspiciousLines = m_wholeCounts[k].suspicious;
        makers[k]->nPlacedTags = m_wholeCounts[k].placed;
        makers[k]->nExistingTags = m_wholeCounts[k].existing;
    }
}

bool CTelvarionDoc::WriteText()
{
    m_ui.GetLines(text.textLines, nullptr);
    return WriteTextTo(text.path);
}

void CTelvarionDoc::OnFileSave()
{
    if (!IsEnabled(Command::Save))
        return;
    CWaitCursor wait(m_ui);
    m_ui.GetLines(text.textLines, nullptr);
    const std::string target = SaveTarget();
    // Input and output folder the same: the file is already where it belongs.
    const bool moving = !SameFile(currentPath, target);
    // The edited text goes to its new place first and the input file is taken away only after:
    // a save that fails leaves the document where it was, modified, so the next save tries again
    // with the output folder as it is then.
    if (!WriteTextTo(target)) {
        UpdateTitle();
        return;
    }
    if (moving) {
        std::error_code ec;
        std::filesystem::remove(platform::ToFsPath(currentPath), ec);
        if (ec)
            ShowError(m_ui, "Ошибка сохранения файла " + target + "!\n" + platform::ErrorReason(ec));
        else if (!m_readOnly)
            review_store::Remove(reviewFolder, currentPath);
    }
    currentPath = target;
    bInOutputFolder = 1;
    bModified = 0;
    UpdateTitle();
}

void CTelvarionDoc::OnFileSaveAs()
{
    if (!IsEnabled(Command::SaveAs))
        return;
    FileDialogRequest request;
    request.defaultExt = "rla";
    request.filter = kRlaFilter;
    request.initialDir = settings.outputFolder;
    request.confirmOverwrite = true;
    std::string path;
    if (!m_ui.AskSaveFileName(request, path))
        return;
    m_ui.GetLines(text.textLines, nullptr);
    if (!WriteTextTo(path))
        return;
    currentPath = path;
    bModified = 0;
    bInOutputFolder = 1;
    UpdateTitle();
}

bool CTelvarionDoc::WriteTextTo(const std::string& path)
{
    if (!MayReplace(path))
        return false;
    const std::string previous = text.path;
    text.path = path;
    std::uint64_t bytesHash = 0;
    if (text.WriteRla(m_ui, &bytesHash)) {
        m_knownFiles = { { path, { StampOf(path), bytesHash } } };
        KeepReview(path, bytesHash);
        m_changes = 0;
        DropRecovery();
        return true;
    }
    text.path = previous;
    return false;
}

void CTelvarionDoc::KeepReview(const std::string& path, std::uint64_t bytesHash)
{
    if (m_readOnly || reviewFolder.empty())
        return;
    std::vector<CLineRecord> records;
    if (!review.Empty()) {
        std::vector<std::string> texts;
        m_ui.GetLines(texts, &records);
    }
    // A review that could not be kept is only the list of this run: the text is saved all the same.
    review_store::Store(reviewFolder, path, bytesHash, review, records);
}

void CTelvarionDoc::RestoreReview(const std::string& path, std::uint64_t bytesHash,
    const std::vector<std::string>& texts, std::vector<CLineRecord>& records)
{
    // Only the analysis without questions skips the lines of a row; another would ask them again.
    if (!m_ui.PlacesCertainLinksOnly())
        return;
    const std::optional<review_store::CKeptReview> kept = review_store::Load(reviewFolder, path, bytesHash);
    if (!kept)
        return;
    review_store::Restore(*kept, texts, records, review, [this](bool local, std::int32_t number, CDocRecvisits& out) {
        return local ? innerMaker.documents.FindByNumber(number, out)
                     : orvoMaker.documents.FindByBaseNumber(number, out);
    });
}

std::string CTelvarionDoc::SaveTarget() const
{
    if (bInOutputFolder || settings.outputFolder.empty() || currentPath.empty())
        return currentPath;
    return platform::FromFsPath(
        platform::ToFsPath(settings.outputFolder) / platform::ToFsPath(FileNameOf(currentPath)));
}

void CTelvarionDoc::RememberOutputFile()
{
    // A file known already stays as it was known: what another program did to it since counts.
    const std::string target = SaveTarget();
    if (target.empty())
        return;
    for (const CKnownFile& known : m_knownFiles)
        if (SameFile(known.path, target))
            return;
    m_knownFiles.push_back({ target, ImageOf(target) });
}

bool CTelvarionDoc::MayReplace(const std::string& path)
{
    for (const CKnownFile& known : m_knownFiles) {
        if (!SameFile(known.path, path))
            continue;
        // A file that is gone loses nothing by being written.
        if (!StampOf(path).exists || StillAsImage(path, known.image))
            return true;
        return m_ui.MessageBox(
                   "Файл " + path + " изменён другой программой. Заменить его?", MsgIcon::Question, MsgButtons::YesNo)
            == AnswerYes;
    }
    return true;
}

void CTelvarionDoc::OnFileDelete()
{
    if (!IsEnabled(Command::Delete))
        return;
    if (m_ui.MessageBox("Вы действительно хотите удалить файл?\n\n" + currentPath, MsgIcon::Question, MsgButtons::YesNo)
        != AnswerYes)
        return;
    if (!m_ui.MoveToTrash(currentPath))
        return;
    if (!m_readOnly)
        review_store::Remove(reviewFolder, currentPath);
    currentPath.clear();
    bModified = 0;
    m_changes = 0;
    DropRecovery();
    m_ui.ClearUndo();
    m_ui.RemoveAllRows();
    text.Clear();
    UpdateTitle();
}

void CTelvarionDoc::OnStatistics() { ShowInfo(m_ui, GetStatisticsText()); }

void CTelvarionDoc::OnSettings()
{
    std::string input = settings.inputFolder;
    std::string output = settings.outputFolder;
    if (!m_ui.EditOptions(input, output))
        return;
    settings.inputFolder = input;
    settings.outputFolder = output;
    RememberOutputFile();
    StoreChangedSettings();
}

void CTelvarionDoc::OnHotDocuments()
{
    std::vector<std::int32_t> slots(settings.hotDocuments.begin(), settings.hotDocuments.end());
    if (!m_ui.EditHotDocuments(slots))
        return;
    for (std::size_t k = 0; k < settings.hotDocuments.size(); ++k)
        settings.hotDocuments[k] = k < slots.size() ? slots[k] : 0;
    StoreChangedSettings();
}

void CTelvarionDoc::OnNotepad()
{
    COrvoLinkDict copy = settings.notepad;
    if (!m_ui.EditNotepad(copy))
        return;
    settings.notepad = std::move(copy);
    StoreChangedSettings();
}

void CTelvarionDoc::StoreChangedSettings()
{
    // Still marked changed: the end of the run writes them again, as it always has.
    bSettingsChanged = 1;
    if (m_readOnly)
        SayNotSaved("Изменения настроек и блокнота действуют до конца работы программы, но сохранены не будут.");
    else if (m_storeAtEnd)
        SaveSettings();
}

void CTelvarionDoc::StoreEdited(CRefMaker& maker, bool changed)
{
    if (changed && m_readOnly)
        SayNotSaved("Изменения словаря действуют до конца работы программы, но сохранены не будут.");
    else if (changed && m_storeAtEnd)
        maker.SaveFiles(m_programFolder);
}

void CTelvarionDoc::ImportDocuments(CRefMaker& maker, Command command)
{
    if (!IsEnabled(command))
        return;
    // The import replaces the documents file and its titles together when it ends: whether a
    // documents file another program has changed may give way is decided now, before the person
    // waits for the import, and once for both files.
    const std::string documents = ServicePath(m_programFolder, maker.Files().documents);
    if (m_fileGuard.ChangedByOther(documents)) {
        if (m_ui.MessageBox("Файл " + documents + " изменён другой программой после того, как Telvarion его прочитал.\n"
                    "Импорт заменит и его, и файл названий документов. Продолжить?",
                MsgIcon::Question, MsgButtons::YesNo)
            != AnswerYes)
            return;
        m_fileGuard.Remember(documents);
    }
    maker.ImportDocuments();
}

void CTelvarionDoc::SayNotSaved(const char* what)
{
    m_ui.MessageBox("Папка данных " + m_programFolder + " открыта только для чтения.\n" + what, MsgIcon::Information);
}

bool CTelvarionDoc::LockDataFolder(const std::string& program)
{
    m_lock = std::make_unique<CDataFolderLock>(m_programFolder, program);
    switch (m_lock->Take()) {
    case CDataFolderLock::Result::Taken:
        m_readOnly = false;
        break;
    case CDataFolderLock::Result::Held:
        if (m_ui.MessageBox("С папкой данных " + m_programFolder + " уже работает другая программа: "
                    + m_lock->HolderText() + ".\n\nОткрыть папку только для чтения? Документы можно будет "
                    "анализировать и править, но словари, блокнот и настройки сохраняться не будут.\n\n"
                    "Нет: закрыть программу.",
                MsgIcon::Question, MsgButtons::YesNo)
            != AnswerYes)
            return false;
        m_readOnly = true;
        break;
    case CDataFolderLock::Result::ReadOnly:
    case CDataFolderLock::Result::Failed:
        m_ui.MessageBox("В папку данных " + m_programFolder + " нельзя записывать. "
                + platform::ErrorReason(m_lock->Error())
                + "\nПрограмма работает только для чтения: документы можно анализировать и править, но словари, "
                  "блокнот и настройки сохраняться не будут.",
            MsgIcon::Information);
        m_readOnly = true;
        break;
    }
    // The window keeps its first title until a document is opened, unless it must say this.
    if (m_readOnly)
        UpdateTitle();
    return true;
}

void CTelvarionDoc::SetModified()
{
    bModified = 1;
    ++m_changes;
    UpdateTitle();
    if (onModified)
        onModified();
}

std::string CTelvarionDoc::TitleText() const
{
    std::string title = "Telvarion";
    if (!currentPath.empty())
        title += " - " + currentPath;
    if (bModified)
        title += "*";
    const COleDate effective = GetEffectiveDate();
    if (!effective.IsNoDate())
        title += " - Дата принятия: " + effective.Format();
    if (m_readOnly)
        title += " [только чтение]";
    return title;
}

void CTelvarionDoc::UpdateTitle() { m_ui.SetTitle(TitleText()); }

std::string CTelvarionDoc::GetStatisticsText() const
{
    return "*********** Ссылки на документы Орво ***********\n" + MakerCounts(orvoMaker)
        + "\n\n*********** Ссылки на документы базы ***********\n" + MakerCounts(innerMaker);
}

std::int32_t CTelvarionDoc::HotDocument(int slot) const
{
    if (slot < 0 || static_cast<std::size_t>(slot) >= settings.hotDocuments.size())
        return 0;
    return settings.hotDocuments[static_cast<std::size_t>(slot)];
}

bool CTelvarionDoc::ProposeByChosenRequisites(
    const CLineRecord& record, const std::string& context, std::vector<CLineRecord>& out)
{
    CDocRecvisits requisites = record.recvFound;
    bool local = LocalBaseChosen();
    if (!m_ui.SelectRequisites(requisites, local))
        return false;
    LocalBaseChosen() = local;
    CRefMaker& maker = local ? static_cast<CRefMaker&>(innerMaker) : static_cast<CRefMaker&>(orvoMaker);
    return maker.ProposeForRequisites(record, context, out, requisites, GetEffectiveDate());
}

bool CTelvarionDoc::MarkAnchorForRow(std::vector<std::string>& texts, std::vector<CLineRecord>& records, std::size_t row)
{
    return CRefMaker::MarkAnchorNearTag(texts, records, row);
}

void CTelvarionDoc::LoadServiceData(bool mayWrite)
{
    CWaitCursor wait(m_ui);
    // A batch analysis gives the same output whatever the person reviewed in the window.
    if (!mayWrite) {
        reviewFolder.clear();
        recoveryFolder.clear();
    } else if (!m_recoveryWriter) {
        if (recoveryFolder.empty())
            recoveryFolder = recovery::DefaultFolder();
        if (!recoveryFolder.empty()) {
            m_recoveryOwner = CDataFolderLock::ThisProcess("telvarion");
            m_recoveryWriter = std::make_unique<recovery::CRecoveryWriter>(
                platform::FromFsPath(
                    platform::ToFsPath(recoveryFolder) / platform::ToFsPath(recovery::FileNameOf(m_recoveryOwner))),
                [this](const recovery::CRecoveryWriter::CReport& report) {
                    std::lock_guard lock(m_reportMutex);
                    if (m_recoveryReport)
                        m_recoveryReport(report);
                });
        }
    }
    mayWrite = mayWrite && !m_readOnly;
    if (mayWrite)
        CAtomicFile::RemoveStaleTemporaries(m_programFolder);
    for (CRefMaker* maker : { static_cast<CRefMaker*>(&orvoMaker), static_cast<CRefMaker*>(&innerMaker) }) {
        maker->SetFileGuard(&m_fileGuard);
        if (!maker->LoadFiles(m_programFolder, mayWrite) && mayWrite)
            maker->SaveFiles(m_programFolder);
    }
    // Known as they are now, loaded or not, so that a change by another program is noticed.
    for (const char* name : { kSettingsFile, kRecentOrvoFile, kRecentLocalFile })
        m_fileGuard.Remember(ServicePath(m_programFolder, name));
    const LoadResult loaded
        = LoadServiceFile(ServicePath(m_programFolder, kSettingsFile), [this](CArchive& ar) { settings.Serialize(ar); });
    if (loaded != LoadResult::Loaded) {
        // What was read before the failure stays; the view's font and the hot documents start
        // afresh, and the recent numbers are not read.
        const CDocSettings defaults;
        settings.fontPitchAndFamily = defaults.fontPitchAndFamily;
        settings.fontFace = defaults.fontFace;
        settings.hotDocuments = defaults.hotDocuments;
        if (mayWrite)
            SaveSettings();
    } else {
        LoadServiceFile(ServicePath(m_programFolder, kRecentOrvoFile), [this](CArchive& ar) { recentOrvo.Serialize(ar); });
        LoadServiceFile(ServicePath(m_programFolder, kRecentLocalFile), [this](CArchive& ar) { recentLocal.Serialize(ar); });
    }
    m_storeAtEnd = mayWrite;
}

bool CTelvarionDoc::SaveSettings()
{
    const auto outcome
        = m_fileGuard.Store(ServicePath(m_programFolder, kSettingsFile), [this](CArchive& ar) { settings.Serialize(ar); });
    if (outcome == CServiceFileGuard::Outcome::Failed)
        ShowError(m_ui, "Ошибка сохранения файла служебных данных!");
    return outcome == CServiceFileGuard::Outcome::Stored;
}

bool CTelvarionDoc::SaveModified()
{
    if (!bModified)
        return true;
    const int answer = m_ui.MessageBox("Сохранить файл " + currentPath + "?", MsgIcon::Question, MsgButtons::YesNoCancel);
    if (answer == AnswerCancel)
        return false;
    if (answer == AnswerYes && !WriteText())
        return false; // the edits would be lost: the document stays open
    if (answer == AnswerNo)
        DropRecovery();
    return true;
}

void CTelvarionDoc::StoreServiceData()
{
    if (bSettingsChanged)
        SaveSettings();
    using Outcome = CServiceFileGuard::Outcome;
    if (m_fileGuard.Store(ServicePath(m_programFolder, kRecentOrvoFile), [this](CArchive& ar) { recentOrvo.Serialize(ar); })
        == Outcome::Failed)
        ShowError(m_ui, "Ошибка сохранения словаря номеров последних документов Орво!");
    if (m_fileGuard.Store(ServicePath(m_programFolder, kRecentLocalFile), [this](CArchive& ar) { recentLocal.Serialize(ar); })
        == Outcome::Failed)
        ShowError(m_ui, "Ошибка сохранения словаря номеров последних внутрибазовых документов!");
    orvoMaker.SaveFiles(m_programFolder);
    innerMaker.SaveFiles(m_programFolder);
}

void CTelvarionDoc::DropRecovery()
{
    if (m_recoveryWriter)
        m_recoveryWriter->Remove();
}

void CTelvarionDoc::SetRecoveryReport(recovery::CRecoveryWriter::Report report)
{
    std::lock_guard lock(m_reportMutex);
    m_recoveryReport = std::move(report);
}

recovery::CSnapshot CTelvarionDoc::RecoverySnapshot(const CLineRows& rows) const
{
    recovery::CSnapshot snapshot;
    snapshot.headerLines = text.headerLines;
    const int count = rows.Count();
    snapshot.textLines.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (int row = 0; row < count; ++row) {
        snapshot.textLines.push_back(rows.Text(row));
        if (rows.Record(row).bBookmark)
            snapshot.data.bookmarks.push_back(static_cast<std::uint32_t>(row));
    }
    recovery::CRecoveryData& data = snapshot.data;
    data.path = currentPath;
    data.inOutputFolder = bInOutputFolder != 0;
    data.knownFiles = m_knownFiles;
    if (!review.Empty())
        data.review = review_store::Capture(review, rows);
    else
        data.review.lineCount = static_cast<std::uint32_t>(snapshot.textLines.size());
    data.selected = rows.Selected();
    data.changes = m_changes;
    data.owner = m_recoveryOwner;
    return snapshot;
}

bool CTelvarionDoc::Recover(const recovery::CRecoveryData& data)
{
    CRlaText fresh;
    fresh.path = data.path;
    if (!fresh.ReadBytes(data.textBytes))
        return false;
    CWaitCursor wait(m_ui);
    text = std::move(fresh);
    currentPath = data.path;
    bInOutputFolder = data.inOutputFolder ? 1 : 0;
    m_knownFiles = data.knownFiles;
    bBusy = 1;
    std::vector<std::string> texts = std::move(text.textLines);
    text.textLines.clear();
    std::vector<CLineRecord> records(texts.size());
    review.Clear();
    review_store::Restore(
        data.review, texts, records, review, [this](bool local, std::int32_t number, CDocRecvisits& out) {
            return local ? innerMaker.documents.FindByNumber(number, out)
                         : orvoMaker.documents.FindByBaseNumber(number, out);
        });
    // Only the first passes: the existing tags and the keyword lines marked, nothing asked.
    for (CRefMaker* maker : { static_cast<CRefMaker*>(&orvoMaker), static_cast<CRefMaker*>(&innerMaker) }) {
        maker->ResetCounters(true);
        maker->ScanLines(texts, records);
    }
    KeepCounts();
    for (std::uint32_t line : data.bookmarks)
        if (line < records.size())
            records[line].bBookmark = 1;
    const std::size_t count = records.size();
    m_ui.HandOverList(std::move(texts), std::move(records), data.selected < 0);
    if (data.selected >= 0 && static_cast<std::uint64_t>(data.selected) < count)
        m_ui.SelectLine(static_cast<std::size_t>(data.selected));
    m_ui.ClearUndo();
    bBusy = 0;
    bModified = 1;
    m_changes = data.changes;
    UpdateTitle();
    if (!review.Empty())
        m_ui.ShowReview(GetStatisticsText());
    return true;
}

void CTelvarionDoc::OfferRecovery()
{
    if (recoveryFolder.empty() || !m_recoveryWriter)
        return;
    const recovery::CLeft left = recovery::FindLeft(recoveryFolder);
    for (const std::string& file : left.damaged) {
        const std::string aside = recovery::SetAsideDamaged(recoveryFolder, file);
        m_ui.MessageBox("Данные восстановления в файле " + file + " повреждены, документ из них не открыт.\n"
                + (aside.empty() ? std::string("Отложить файл не удалось, он оставлен на месте.")
                                 : "Файл отложен: " + aside),
            MsgIcon::Warning);
    }
    if (left.offers.empty())
        return;
    // One per start, the newest: the others wait for the next start.
    const recovery::CLeft::COffer& offer = left.offers.front();
    char when[32] = "";
    const std::time_t written = static_cast<std::time_t>(offer.data.writtenUtc);
    if (const std::tm* local = std::localtime(&written))
        std::strftime(when, sizeof when, "%d.%m.%Y %H:%M:%S", local);
    const std::string question = "Telvarion был завершён, не сохранив изменения документа\n" + offer.data.path
        + "\n\nДанные восстановления от " + when + ", несохранённых изменений: " + std::to_string(offer.data.changes)
        + ".\n\nВосстановить документ?";
    if (!m_ui.AskRecover(question) || !Recover(offer.data)) {
        recovery::Discard(recoveryFolder, offer.file);
        return;
    }
    // The recovered data are this run's own from now on: a crash right after loses nothing.
    std::error_code ec;
    std::filesystem::rename(platform::ToFsPath(offer.file), platform::ToFsPath(m_recoveryWriter->File()), ec);
}
