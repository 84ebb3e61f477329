#include "cli/batch.h"

#include <algorithm>
#include <cctype>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

#include "base/platform.h"

namespace fs = std::filesystem;

namespace {

bool IsRla(const fs::path& path)
{
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".rla";
}

std::uint64_t SizeOf(const fs::path& path)
{
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    return ec ? 0 : static_cast<std::uint64_t>(size);
}

// The *.rla files below folder, by their path below it.
void ListFolder(const std::string& folder, bool recursive, std::vector<CBatchFile>& out,
    std::vector<std::string>& unreadable)
{
    const fs::path root = platform::ToFsPath(folder);
    std::vector<std::pair<std::string, fs::path>> found;
    std::error_code ec;
    const auto take = [&](const fs::directory_entry& entry) {
        std::error_code fileEc;
        if (entry.is_regular_file(fileEc) && IsRla(entry.path()))
            found.emplace_back(platform::FromFsPath(entry.path().lexically_relative(root)), entry.path());
    };
    if (recursive) {
        fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec);
        for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
            take(*it);
    } else {
        fs::directory_iterator it(root, fs::directory_options::skip_permission_denied, ec);
        for (; !ec && it != fs::directory_iterator(); it.increment(ec))
            take(*it);
    }
    if (ec) {
        unreadable.push_back(folder);
        return;
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [name, path] : found)
        out.push_back({ platform::FromFsPath(path), name, SizeOf(path) });
}

// Comparable form of a path that may not exist yet: its folder made absolute and canonical.
fs::path Comparable(const std::string& utf8)
{
    std::error_code ec;
    const fs::path path = platform::ToFsPath(utf8);
    fs::path canonical = fs::weakly_canonical(fs::absolute(path, ec), ec);
    return ec ? path.lexically_normal() : canonical;
}

std::string Decimal(double value)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", value);
    std::string text = buf;
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

std::string Megabytes(std::uint64_t bytes) { return Decimal(static_cast<double>(bytes) / 1e6); }

std::string PerSecond(std::uint64_t bytes, double seconds)
{
    return seconds > 0 ? Decimal(static_cast<double>(bytes) / 1e6 / seconds) + " МБ/с" : "-- МБ/с";
}

} // namespace

std::vector<CBatchFile> ListBatchFiles(const std::vector<std::string>& args, bool recursive,
    std::vector<std::string>& unreadable)
{
    std::vector<CBatchFile> out;
    for (const auto& arg : args) {
        const fs::path path = platform::ToFsPath(arg);
        std::error_code ec;
        if (fs::is_directory(path, ec))
            ListFolder(arg, recursive, out, unreadable);
        else
            out.push_back({ arg, platform::FromFsPath(path.filename()), SizeOf(path) });
    }
    return out;
}

std::vector<std::string> ReadPathList(std::istream& in)
{
    std::vector<std::string> paths;
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos)
            continue;
        const std::size_t last = line.find_last_not_of(" \t\r");
        paths.push_back(line.substr(first, last - first + 1));
    }
    return paths;
}

std::vector<std::string> OutputPaths(const std::vector<CBatchFile>& files, const std::string& outDir, bool inPlace,
    std::string& error)
{
    error.clear();
    std::vector<std::string> outputs;
    if (outDir.empty())
        return outputs;
    std::map<fs::path, std::size_t> inputs;
    for (std::size_t k = 0; k < files.size(); ++k)
        inputs.emplace(Comparable(files[k].path), k);
    std::map<fs::path, std::size_t> taken;
    for (std::size_t k = 0; k < files.size(); ++k) {
        const std::string out = platform::FromFsPath(platform::ToFsPath(outDir) / platform::ToFsPath(files[k].name));
        const fs::path key = Comparable(out);
        if (const auto [it, fresh] = taken.emplace(key, k); !fresh) {
            error = "both " + files[it->second].path + " and " + files[k].path + " would be written to " + out;
            return {};
        }
        if (const auto it = inputs.find(key); it != inputs.end() && !(inPlace && it->second == k)) {
            error = it->second == k ? out + " is the input itself; give --in-place to replace the documents"
                                    : out + " would overwrite the input " + files[it->second].path;
            return {};
        }
        outputs.push_back(out);
    }
    return outputs;
}

void RunInOrder(std::size_t count, unsigned jobs, const std::function<void(unsigned worker, std::size_t i)>& work,
    const std::function<void(std::size_t i)>& done, const std::function<void()>& wait, std::chrono::milliseconds interval)
{
    jobs = std::max(1u, static_cast<unsigned>(std::min<std::size_t>(jobs, std::max<std::size_t>(count, 1))));
    std::mutex mutex;
    std::condition_variable finished;
    std::vector<char> ready(count, 0);
    std::atomic<std::size_t> next { 0 };
    std::atomic<bool> stop { false };
    std::exception_ptr failure;

    const auto run = [&](unsigned worker) {
        for (;;) {
            const std::size_t i = next.fetch_add(1);
            if (i >= count || stop.load())
                return;
            try {
                work(worker, i);
            } catch (...) {
                std::lock_guard<std::mutex> lock(mutex);
                if (!failure)
                    failure = std::current_exception();
                stop = true;
            }
            {
                std::lock_guard<std::mutex> lock(mutex);
                ready[i] = 1;
            }
            finished.notify_one();
        }
    };
    std::vector<std::thread> threads;
    threads.reserve(jobs);
    for (unsigned w = 0; w < jobs; ++w)
        threads.emplace_back(run, w);

    for (std::size_t i = 0; i < count; ++i) {
        std::unique_lock<std::mutex> lock(mutex);
        while (!ready[i] && !stop) {
            finished.wait_for(lock, interval);
            if (wait && !ready[i] && !stop) {
                lock.unlock();
                wait();
                lock.lock();
            }
        }
        if (stop)
            break;
        lock.unlock();
        done(i);
    }
    for (auto& t : threads)
        t.join();
    if (failure)
        std::rethrow_exception(failure);
}

unsigned DefaultJobs() { return std::max(1u, std::thread::hardware_concurrency()); }

std::string BatchSummary(const CBatchTotals& totals, double seconds, const std::vector<std::string>& failed)
{
    const auto base = [](const char* title, const CBatchTotals::Base& b) {
        return std::string(title) + ": подозрительных строк " + std::to_string(b.suspicious) + ", тегов проставлено "
            + std::to_string(b.placed) + ", тегов уже было " + std::to_string(b.existing) + "\n";
    };
    std::string text = "Итого: файлов проанализировано " + std::to_string(totals.files) + ", с ошибками "
        + std::to_string(totals.failed) + "\n" + base("Ссылки на документы Орво", totals.orvo)
        + base("Ссылки на документы базы", totals.local) + "Время " + Decimal(seconds) + " с, "
        + Megabytes(totals.bytes) + " МБ, " + PerSecond(totals.bytes, seconds) + "\n";
    if (!failed.empty()) {
        text += "Не обработаны:\n";
        for (const auto& path : failed)
            text += "  " + path + "\n";
    }
    return text;
}

std::string BatchProgress(std::size_t done, std::size_t all, std::uint64_t bytesDone, std::uint64_t bytesAll,
    double seconds)
{
    std::string left = "--:--";
    if (bytesDone > 0 && bytesAll >= bytesDone && seconds > 0) {
        const auto rest = static_cast<long long>(static_cast<double>(bytesAll - bytesDone) * seconds / static_cast<double>(bytesDone));
        char buf[32];
        std::snprintf(buf, sizeof buf, "%02lld:%02lld", rest / 60, rest % 60);
        left = buf;
    }
    return "файлов " + std::to_string(done) + " из " + std::to_string(all) + ", " + PerSecond(bytesDone, seconds)
        + ", осталось " + left;
}
