#pragma once

// The single document of the program: the open text, the settings kept between runs, the recent
// numbers, and the two reference makers. It carries out the file commands through the user
// interface and decides in which order the analyses run over a newly opened text. The window
// only routes commands here and asks which are enabled.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/rla_text.h"
#include "document/doc_settings.h"
#include "document/recovery.h"
#include "document/review.h"
#include "local/inner_ref_maker.h"
#include "orvo/orvo_ref_maker.h"
#include "storage/folder_lock.h"
#include "storage/recent_numbers.h"
#include "storage/service_file_guard.h"

class CLineRows;
class CUserInterface;

class CTelvarionDoc {
public:
    // The commands of the document, for the enabling rules.
    enum class Command {
        Open,
        Save,
        SaveAs,
        Delete,
        Reanalyse,
        Statistics,
        Settings,
        HotDocuments,
        Notepad,
        OrvoKeywords,
        OrvoTypes,
        OrvoBodies,
        OrvoSearch,
        LocalTypes,
        LocalBodies,
        ImportOrvo,
        ImportLocal,
        Exit,
    };

    // programFolder: where the service files live.
    CTelvarionDoc(CUserInterface& ui, std::string programFolder);
    // A document over the loaded service data of another, which outlives it: its settings and
    // recent numbers copied, the dictionaries read where they are. It never writes the service
    // files. Several such documents may analyse on threads of their own at once.
    CTelvarionDoc(CUserInterface& ui, CTelvarionDoc& shared);
    // Stores what the run changed: settings, recent numbers, the makers' dictionaries.
    ~CTelvarionDoc();
    CTelvarionDoc(const CTelvarionDoc&) = delete;
    CTelvarionDoc& operator=(const CTelvarionDoc&) = delete;

    CRlaText text;
    CDocSettings settings;
    RecentNumbers recentOrvo;
    RecentNumbers recentLocal;
    std::string currentPath; // empty when no document is open
    std::int32_t bInOutputFolder = 0;
    std::int32_t bModified = 0;
    std::int32_t bSettingsChanged = 0;
    std::int32_t bBusy = 0;
    COrvoRefMaker orvoMaker;
    CInnerRefMaker innerMaker;
    // What the last analysis without questions of the open document linked and left open.
    CReview review;
    // Where the reviews of saved documents are kept between runs (review_store); empty: nowhere.
    std::string reviewFolder;
    // Where the recovery data of this run's document are kept (recovery.h): set by
    // LoadServiceData(true) unless set before; batch work keeps none. Empty: nowhere.
    std::string recoveryFolder;
    // Called after every change the person or an analysis made (SetModified): the window
    // schedules the recovery write.
    std::function<void()> onModified;

    const std::string& ProgramFolder() const { return m_programFolder; }
    CUserInterface& Ui() { return m_ui; }

    bool IsEnabled(Command command) const;

    void OnFileOpen();
    // Open without the file dialog (the command-line tool, tests): read, analyse with both makers,
    // show the lines. False when the file could not be read; the open document then stays.
    bool OpenFile(const std::string& path, bool showStatistics = true);
    void OnFileSave();
    void OnFileSaveAs();
    void OnFileDelete();
    void OnReanalyse();
    void OnStatistics();
    void OnSettings();
    void OnHotDocuments();
    void OnNotepad();
    // A dictionary changed in its dialog is written when the dialog closes with OK, not only at
    // the end of the run: a crash must not take the day's dictionary work with it.
    void OnOrvoKeywords() { StoreEdited(orvoMaker, orvoMaker.EditKeywords()); }
    void OnOrvoTypes() { StoreEdited(orvoMaker, orvoMaker.EditTypes()); }
    void OnOrvoBodies() { StoreEdited(orvoMaker, orvoMaker.EditBodies()); }
    void OnLocalTypes() { StoreEdited(innerMaker, innerMaker.EditTypes()); }
    void OnLocalBodies() { StoreEdited(innerMaker, innerMaker.EditBodies()); }
    void OnImportOrvo() { ImportDocuments(orvoMaker, Command::ImportOrvo); }
    void OnImportLocal() { ImportDocuments(innerMaker, Command::ImportLocal); }

    void SetModified();
    // The changes since the document was opened or last saved (calls of SetModified).
    std::uint32_t ChangesSinceSave() const { return m_changes; }

    // The window's copy of the open document for the recovery writer: the view's rows read, not
    // copied whole (their texts, bookmarks and review places only).
    recovery::CSnapshot RecoverySnapshot(const CLineRows& rows) const;
    // The writer of this run's recovery file; null before LoadServiceData and for batch work.
    recovery::CRecoveryWriter* RecoveryWriter() { return m_recoveryWriter.get(); }
    // Where the writer's reports go (called on the writer's thread); empty: nowhere.
    void SetRecoveryReport(recovery::CRecoveryWriter::Report report);
    // At start: a damaged recovery file of a program that is gone is set aside and reported; the
    // newest recovery left by a program that is gone is offered, and restored (Recover) or put
    // aside as the last discarded one, as the person says.
    void OfferRecovery();
    // The document as the recovery data keep it: its text, paths and known files, the first
    // passes of both makers (no analysis), the review, the bookmarks and the selection, marked
    // modified, with no undo. False (the open document unchanged) for text that is no document.
    bool Recover(const recovery::CRecoveryData& data);
    void UpdateTitle();
    // "Telvarion - path* - Дата принятия: 01.02.2003", UTF-8.
    std::string TitleText() const;
    // The counts of both makers, UTF-8.
    std::string GetStatisticsText() const;
    COleDate GetEffectiveDate() const { return text.GetEffectiveDate(); }
    // The Orvo number of a hot-document slot (0..9); 0 for an empty or unknown slot.
    std::int32_t HotDocument(int slot) const;

    // An open line of the review decided as the Parts' flow asks it: the candidates dialog of
    // that line and the confirmation, over the view's rows; the row then says the outcome.
    void DecideReviewRow(std::size_t row);

    // Re-analyses one line with requisites the person picks, against the base he picks.
    bool ProposeByChosenRequisites(const CLineRecord& record, const std::string& context, std::vector<CLineRecord>& out);
    // Marks the anchor of the tag line at row (after the view placed tags by hand).
    static bool MarkAnchorForRow(std::vector<std::string>& texts, std::vector<CLineRecord>& records, std::size_t row);

    // Before the service data is loaded: takes the data folder's lock for this run. When another
    // program holds it, asks whether to work read-only or quit; when the folder may not be
    // written, says that this run is read-only. False: the person chose to quit.
    bool LockDataFolder(const std::string& program);
    // Nothing of the data folder is written in this run: another program holds it, or the folder
    // may not be written. Documents are analysed and edited all the same.
    bool IsReadOnly() const { return m_readOnly; }

    // Once, when the view is first shown: the makers' files, then the settings and recent numbers.
    // mayWrite false: nothing is ever written back, neither now nor at the end, and no review is
    // kept or restored (batch analysis).
    // A read-only run never writes, whatever mayWrite says.
    void LoadServiceData(bool mayWrite = true);
    bool SaveSettings();
    // Settings changed by a dialog are written at once (when this run may write at all).
    void StoreChangedSettings();
    // The question before the document closes; false when the person cancels (or the text could
    // not be written).
    bool SaveModified();

    // Whether the base choice of the requisite selection is the local base (for the whole run).
    static bool& LocalBaseChosen();

private:
    // Gives both makers what they need of this document.
    void LinkMakers();
    void RunAnalyses(std::vector<std::string>& texts, std::vector<CLineRecord>& records, bool full);
    bool WriteText();
    // After the text was written to path with these bytes: its review kept, or forgotten when it
    // has no row. A run that may not write its data folder keeps none.
    void KeepReview(const std::string& path, std::uint64_t bytesHash);
    // After a read, before the analyses: the review kept for exactly these bytes, back on the lines.
    void RestoreReview(const std::string& path, std::uint64_t bytesHash, const std::vector<std::string>& texts,
        std::vector<CLineRecord>& records);
    // Writes the text under another path; on failure the text keeps its own. A file there that
    // another program wrote since this document read or wrote it is replaced only when the
    // person says so; otherwise nothing is written (false).
    bool WriteTextTo(const std::string& path);
    // Where the first save writes: the output folder, unless the document is already there or
    // no output folder is set.
    std::string SaveTarget() const;
    // The files a save may replace, as this document knows them: the one it read or last wrote,
    // and before its first save the file of the output folder it would write.
    void RememberOutputFile();
    bool MayReplace(const std::string& path);
    void StoreServiceData();
    void StoreEdited(CRefMaker& maker, bool changed);
    void ImportDocuments(CRefMaker& maker, Command command);

    // A change the person made that a read-only run cannot keep.
    void SayNotSaved(const char* what);

    CUserInterface& m_ui;
    std::string m_programFolder;
    bool m_storeAtEnd = false;
    bool m_readOnly = false;
    CServiceFileGuard m_fileGuard { m_ui };
    using CKnownFile = recovery::CKnownFile;
    std::vector<CKnownFile> m_knownFiles;
    // The recovery file goes when the document is saved, closed without saving by the person's
    // choice, deleted, or another is opened.
    void DropRecovery();
    std::uint32_t m_changes = 0;
    CLockHolder m_recoveryOwner;
    std::mutex m_reportMutex;
    recovery::CRecoveryWriter::Report m_recoveryReport;
    std::unique_ptr<recovery::CRecoveryWriter> m_recoveryWriter;
    // The counts of both makers after the last analysis that ran to its end: a stopped
    // re-analysis leaves the statistics as they were then.
    struct CCounts {
        std::int32_t suspicious = 0;
        std::int32_t placed = 0;
        std::int32_t existing = 0;
    };
    CCounts m_wholeCounts[2];
    void KeepCounts();
    void RestoreCounts();
    // Released after the destructor has stored what the run changed.
    std::unique_ptr<CDataFolderLock> m_lock;
};
