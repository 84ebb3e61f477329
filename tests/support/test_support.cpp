#include "support/scripted_ui.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "core/tag_line.h"
#include "orvo/orvo_link_dict.h"
#include "support/temp_dir.h"

int CScriptedUi::MessageBox(const std::string& text, MsgIcon icon, MsgButtons buttons)
{
    messages.push_back({ text, icon, buttons });
    if (buttons == MsgButtons::Ok)
        return AnswerOk;
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << text;
        return AnswerCancel;
    }
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

static bool AnswerFile(CScriptedUi& ui, bool save, const FileDialogRequest& request, std::string& path)
{
    ui.fileQuestions.push_back({ save, request });
    if (ui.filePaths.empty()) {
        ADD_FAILURE() << "unexpected file dialog";
        return false;
    }
    const auto answer = ui.filePaths.front();
    ui.filePaths.pop_front();
    if (!answer)
        return false;
    path = *answer;
    return true;
}

bool CScriptedUi::AskSaveFileName(const FileDialogRequest& request, std::string& path)
{
    return AnswerFile(*this, true, request, path);
}

bool CScriptedUi::AskOpenFileName(const FileDialogRequest& request, std::string& path, int& filterIndex)
{
    filterIndex = 0;
    if (!filterChoices.empty()) {
        filterIndex = filterChoices.front();
        filterChoices.pop_front();
    }
    return AnswerFile(*this, false, request, path);
}

void CScriptedUi::SetWaitCursor(bool on)
{
    waitCursorDepth += on ? 1 : -1;
    EXPECT_GE(waitCursorDepth, 0) << "wait cursor turned off more often than on";
    if (on)
        ++waitCursorShown;
}

void CScriptedUi::ProcessEvents()
{
    ++eventTurns;
    if (onEvents)
        onEvents(*this);
}

void CScriptedUi::ShowIndexingProgress(CIndexingProgress* shown)
{
    progress = shown;
    if (shown)
        ++progressShown;
}

bool CScriptedUi::EditStringList(const std::string& title, const std::string& column, std::vector<std::string>& strings)
{
    listQuestions.push_back({ title, column, strings });
    if (listEdits.empty()) {
        ADD_FAILURE() << "unexpected dictionary dialog: " << title;
        return false;
    }
    const auto answer = listEdits.front();
    listEdits.pop_front();
    if (!answer || *answer == strings)
        return false;
    strings = *answer;
    return true;
}

bool CScriptedUi::EditRecvDict(const std::string& caption, const std::string&, CRecvDict& dict)
{
    recvQuestions.push_back(caption);
    if (recvEdits.empty()) {
        ADD_FAILURE() << "unexpected dictionary dialog: " << caption;
        return false;
    }
    auto answer = recvEdits.front();
    recvEdits.pop_front();
    if (!answer)
        return false;
    dict = *answer;
    return true;
}

namespace {

template <typename Queue, typename... Args>
bool AnswerEdit(Queue& queue, const char* what, Args&... args)
{
    if (queue.empty()) {
        ADD_FAILURE() << "unexpected " << what;
        return false;
    }
    auto answer = queue.front();
    queue.pop_front();
    return answer(args...);
}

} // namespace

bool CScriptedUi::EditOptions(std::string& inputFolder, std::string& outputFolder)
{
    return AnswerEdit(optionAnswers, "options dialog", inputFolder, outputFolder);
}

bool CScriptedUi::EditHotDocuments(std::vector<std::int32_t>& slots)
{
    return AnswerEdit(hotAnswers, "hot documents dialog", slots);
}

bool CScriptedUi::EditNotepad(COrvoLinkDict& notepad) { return AnswerEdit(notepadAnswers, "notepad dialog", notepad); }

SelectDocumentsResult CScriptedUi::SelectDocuments(const SelectDocumentsRequest& request)
{
    selectQuestions.push_back(request);
    if (selectAnswers.empty()) {
        ADD_FAILURE() << "unexpected candidates dialog";
        return {};
    }
    SelectDocumentsResult answer = selectAnswers.front();
    selectAnswers.pop_front();
    return answer;
}

InnerTagAnswer CScriptedUi::AskInnerTagParameters(const InnerTagRequest& request)
{
    innerTagQuestions.push_back(request);
    if (innerTagAnswers.empty()) {
        ADD_FAILURE() << "unexpected tag parameters dialog";
        return {};
    }
    const InnerTagChoice choice = innerTagAnswers.front();
    innerTagAnswers.pop_front();
    InnerTagAnswer answer;
    answer.answer = choice.answer;
    if (choice.answer == AnswerYes) {
        const std::string kind = choice.kind.empty() ? std::string(LinkKinds()[kNullLinkKind].code) : choice.kind;
        answer.tag = FormatLocalTag(kind, request.number, choice.line, choice.keyO, choice.keyP);
    }
    return answer;
}

ManualTagAnswer CScriptedUi::ManualTag(const std::string& which, const ManualTagRequest& request)
{
    manualTagQuestions.push_back(which);
    manualTagRecent.push_back(request.recentNumbers ? *request.recentNumbers : std::deque<std::int32_t>());
    if (manualTagAnswers.empty()) {
        ADD_FAILURE() << "unexpected tag dialog " << which;
        return {};
    }
    // As the real dialogs: a number the request's check refuses keeps the dialog open for the
    // next answer.
    for (;;) {
        const std::optional<ManualTagAnswer> answer = manualTagAnswers.front();
        manualTagAnswers.pop_front();
        if (!answer || !answer->ok || !request.accepts || request.accepts(answer->numberText))
            return answer.value_or(ManualTagAnswer());
        if (manualTagAnswers.empty()) {
            ADD_FAILURE() << "the " << which << " tag dialog stayed open with no answer left";
            return {};
        }
    }
}

bool CScriptedUi::SelectRequisites(CDocRecvisits& requisites, bool& localBase)
{
    requisiteQuestions.push_back(requisites);
    if (requisiteAnswers.empty()) {
        ADD_FAILURE() << "unexpected requisite selection";
        return false;
    }
    auto answer = requisiteAnswers.front();
    requisiteAnswers.pop_front();
    return answer(requisites, localBase);
}

void CScriptedUi::FillList(const std::vector<std::string>& texts, const std::vector<CLineRecord>& records, bool selectFirst)
{
    if (selectFirst && !texts.empty())
        selectedRow = 0;
    EXPECT_EQ(texts.size(), records.size()) << "lines and records out of step";
    viewTexts = texts;
    viewRecords = records;
    ++fillCount;
}

void CScriptedUi::GetLines(std::vector<std::string>& texts, std::vector<CLineRecord>* records)
{
    texts = viewTexts;
    if (records)
        *records = viewRecords;
}

void CScriptedUi::RemoveAllRows()
{
    viewTexts.clear();
    viewRecords.clear();
}

int CScriptedUi::AskTagCandidates(const std::vector<CDocRecvisits>& linked, std::vector<std::string>& texts,
    std::vector<CLineRecord>& records, std::size_t row)
{
    confirmQuestions.push_back(linked);
    confirmRows.push_back(row);
    FillList(texts, records, false);
    selectedRow = row;
    if (duringConfirm)
        duringConfirm(viewTexts, viewRecords);
    texts = viewTexts;
    records = viewRecords;
    if (confirmAnswers.empty()) {
        ADD_FAILURE() << "unexpected confirmation";
        return AnswerCancel;
    }
    const int answer = confirmAnswers.front();
    confirmAnswers.pop_front();
    return answer;
}

void CScriptedUi::ShowProgress(std::size_t steps)
{
    progressSteps = steps;
    progressStepped = 0;
    progressVisible = true;
}

bool CScriptedUi::MoveToTrash(const std::string& path)
{
    trashed.push_back(path);
    bool ok = true;
    if (!trashAnswers.empty()) {
        ok = trashAnswers.front();
        trashAnswers.pop_front();
    }
    if (ok) {
        std::error_code ec;
        std::filesystem::remove(Fs(path), ec);
    }
    return ok;
}

std::vector<std::string> CScriptedUi::MessageTexts() const
{
    std::vector<std::string> texts;
    for (const auto& m : messages)
        texts.push_back(m.text);
    return texts;
}

#include "support/temp_dir.h"

#include <fstream>

#include "base/platform.h"
#include <random>
#include <sstream>

CTempDir::CTempDir()
{
    std::random_device rd;
    const auto base = std::filesystem::temp_directory_path();
    for (;;) {
        // Cyrillic letters in every test's paths, as in the editors' folders: a path that passes
        // through an ANSI call on Windows breaks here.
        m_path = base / platform::ToFsPath("telvarion-тест-" + std::to_string(rd()));
        if (std::filesystem::create_directory(Fs(m_path)))
            break;
    }
}

CTempDir::~CTempDir()
{
    std::error_code ec;
    std::filesystem::permissions(Fs(m_path), std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(Fs(m_path), ec);
}

std::string CTempDir::File(const std::string& name) const
{
    return platform::FromFsPath((m_path / platform::ToFsPath(name)).make_preferred());
}

std::string CTempDir::Utf8() const { return platform::FromFsPath(m_path); }

std::filesystem::path Fs(const std::string& utf8) { return platform::ToFsPath(utf8); }

std::string CTempDir::Native(const std::string& path)
{
    return platform::FromFsPath(platform::ToFsPath(path).make_preferred());
}

std::string CTempDir::Write(const std::string& name, const std::string& bytes) const
{
    const std::string path = File(name);
    std::ofstream out(platform::ToFsPath(path), std::ios::binary);
    out << bytes;
    return path;
}

std::map<std::string, std::string> CTempDir::Files(const std::filesystem::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(Fs(folder)))
        if (entry.is_regular_file())
            files[platform::FromFsPath(entry.path().filename())] = Read(platform::FromFsPath(entry.path()));
    return files;
}

std::string CTempDir::Read(const std::string& path)
{
    std::ifstream in(platform::ToFsPath(path), std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

#include "support/child_process.h"

#ifdef _WIN32
#include <windows.h>

namespace {

// Starts a console program of the system; its input is the read end of a pipe whose write end is
// returned in input (or closed at once when input is null).
HANDLE StartProcess(const wchar_t* commandLine, HANDLE* input)
{
    SECURITY_ATTRIBUTES inherit { sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE };
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return nullptr;
    SetHandleInformation(writeEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = readEnd;
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info {};
    std::wstring command(commandLine);
    const bool started
        = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info);
    CloseHandle(readEnd);
    if (!started) {
        CloseHandle(writeEnd);
        return nullptr;
    }
    CloseHandle(info.hThread);
    if (input)
        *input = writeEnd;
    else
        CloseHandle(writeEnd);
    return info.hProcess;
}

} // namespace

long long DeadPid()
{
    const HANDLE process = StartProcess(L"cmd.exe /c exit 0", nullptr);
    if (!process)
        return 0;
    WaitForSingleObject(process, INFINITE);
    const long long pid = GetProcessId(process);
    CloseHandle(process);
    return pid;
}

CLiveProcess::CLiveProcess()
{
    // Waits for a line on its input, which never comes.
    HANDLE input = nullptr;
    const HANDLE process = StartProcess(L"cmd.exe /c set /p line=", &input);
    if (process) {
        m_handle = process;
        m_input = input;
        m_pid = GetProcessId(process);
    }
}

CLiveProcess::~CLiveProcess()
{
    if (m_handle) {
        TerminateProcess(m_handle, 1);
        WaitForSingleObject(m_handle, INFINITE);
        CloseHandle(m_handle);
        CloseHandle(m_input);
    }
}
#else
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

long long DeadPid()
{
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    int status = 0;
    waitpid(child, &status, 0);
    return child;
}

CLiveProcess::CLiveProcess()
{
    const pid_t child = fork();
    if (child == 0) {
        for (;;)
            pause();
    }
    m_pid = child;
}

CLiveProcess::~CLiveProcess()
{
    kill(static_cast<pid_t>(m_pid), SIGKILL);
    waitpid(static_cast<pid_t>(m_pid), nullptr, 0);
}
#endif
