// Measures the per-file work of Vesk and Analyze against the plainest
// programs doing the same input and output, on a generated corpus.
//
//   norvane_bench [--size-mb N] [--big] [--files N] [--runs N] [--seed N]
//                 [--dir FOLDER] [--keep] [--verify] [--markdown]
//
// Exit status: 0 when every target is met, 3 when one is missed, 4 when
// --verify found the engine disagreeing with the reference, 2 when the run
// could not be made (bad arguments, too little free disk, a failure).

#include "bench/Baselines.h"
#include "bench/Corpus.h"
#include "bench/Harness.h"
#include "bench/Jobs.h"
#include "bench/Verify.h"
#include "app/Job.h"
#include "settings/Integer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace norvane::bench;

namespace {

constexpr double kMB = 1e6;
constexpr double kMiB = 1024.0 * 1024.0;

struct Options {
    std::uint64_t sizeMb = 200;
    int files = 5000;
    int runs = 0;  // 0: 5, or 3 for the big run
    std::uint64_t seed = CorpusOptions{}.seed;
    std::string dir;
    bool keep = false;
    bool verify = false;
    bool markdown = false;
};

void Usage()
{
    std::fprintf(stderr,
                 "usage: norvane_bench [--size-mb N] [--big] [--files N] [--runs N] [--seed N]\n"
                 "                     [--dir FOLDER] [--keep] [--verify] [--markdown]\n"
                 "  --size-mb N  size of the generated mbox in MB (default 200)\n"
                 "  --big        a 2 GB mbox (2000 MB), 3 runs unless --runs is given\n"
                 "  --files N    number of separate .eml files for Analyze (default 5000)\n"
                 "  --runs N     runs per measurement, the median is shown (default 5)\n"
                 "  --seed N     corpus seed (the same seed makes the same corpus)\n"
                 "  --dir FOLDER where the corpus folder is made (default: the temp folder)\n"
                 "  --keep       leave the corpus folder in place\n"
                 "  --verify     first check the engine's output on the corpus against a plain\n"
                 "               reference (whole files in memory: slow, large)\n"
                 "  --markdown   print the figures as a Markdown table\n");
}

bool ParseNumber(const char* text, std::uint64_t& value)
{
    const auto number = norvane::ParseInteger(text, norvane::kCommandLineInteger);
    if (number.status != norvane::IntegerStatus::Ok)
        return false;
    value = number.bits;
    return true;
}

bool ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        std::uint64_t value = 0;
        if (arg == "--big") {
            options.sizeMb = 2000;
            if (options.runs == 0)
                options.runs = 3;
        } else if (arg == "--keep") {
            options.keep = true;
        } else if (arg == "--verify") {
            options.verify = true;
        } else if (arg == "--markdown") {
            options.markdown = true;
        } else if (arg == "--size-mb" && hasValue && ParseNumber(argv[++i], value) && value > 0) {
            options.sizeMb = value;
        } else if (arg == "--files" && hasValue && ParseNumber(argv[++i], value) && value > 0 &&
                   value <= 1000000) {
            options.files = static_cast<int>(value);
        } else if (arg == "--runs" && hasValue && ParseNumber(argv[++i], value) && value > 0 &&
                   value <= 100) {
            options.runs = static_cast<int>(value);
        } else if (arg == "--seed" && hasValue && ParseNumber(argv[++i], value)) {
            options.seed = value;
        } else if (arg == "--dir" && hasValue) {
            options.dir = argv[++i];
        } else {
            return false;
        }
    }
    if (options.runs == 0)
        options.runs = 5;
    return true;
}

// Removes the corpus folder when the run ends, unless asked to keep it.
class CorpusFolder {
public:
    CorpusFolder(const std::string& parent, bool keep) : keep_(keep)
    {
        std::string pattern = (fs::path(parent) / "norvane-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot make a folder in " + parent);
        path_ = pattern;
    }
    ~CorpusFolder()
    {
        if (keep_) {
            std::printf("corpus kept in %s\n", path_.c_str());
            return;
        }
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    CorpusFolder(const CorpusFolder&) = delete;
    CorpusFolder& operator=(const CorpusFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
    bool keep_;
};

struct Row {
    std::size_t task;
    int baseline;  // task index, -1 for none
    std::uint64_t inputBytes;
    std::size_t files;  // 0: the rate is in MB/s, else in files/s
    double ratioTarget;  // 0: none
    double rssTargetMiB;  // 0: none
    const char* note;
};

std::string Format(const char* pattern, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

// Prints the figures as an aligned table, or as a Markdown table for the
// README. Sets missed when a target is not met.
void PrintTable(const std::vector<Measurement>& measurements, const std::vector<Row>& rows,
                bool markdown, bool& missed)
{
    const std::vector<std::string> header = {"operation", "input MB", "median s", "rate",  "ratio",
                                             "cpu s",     "cpu ratio", "peak MiB", "target"};
    std::vector<std::vector<std::string>> table;
    for (const auto& row : rows) {
        const auto& m = measurements[row.task];
        const double seconds = m.MedianSeconds();
        const double cpu = m.MedianCpuSeconds();
        const double rss = static_cast<double>(m.PeakRssKiB()) / 1024.0;
        std::string ratio = "-";
        std::string cpuRatio = "-";
        std::string target;
        if (row.baseline >= 0) {
            const auto& base = measurements[static_cast<std::size_t>(row.baseline)];
            const double r = seconds / base.MedianSeconds();
            ratio = Format("%.2fx", r);
            cpuRatio = Format("%.2fx", cpu / base.MedianCpuSeconds());
            if (row.ratioTarget > 0) {
                const bool ok = r <= row.ratioTarget;
                missed = missed || !ok;
                target += Format("<= %gx ", row.ratioTarget) + (ok ? "met" : "MISSED");
            }
        }
        if (row.rssTargetMiB > 0) {
            const bool ok = rss < row.rssTargetMiB;
            missed = missed || !ok;
            target += (target.empty() ? "" : ", ") + Format("RSS < %.0f MiB ", row.rssTargetMiB) +
                      (ok ? "met" : "MISSED");
        }
        if (target.empty())
            target = row.note;
        const std::string rate =
            row.files ? Format("%.0f files/s", static_cast<double>(row.files) / seconds)
                      : Format("%.1f MB/s", static_cast<double>(row.inputBytes) / kMB / seconds);
        table.push_back({m.name, Format("%.1f", static_cast<double>(row.inputBytes) / kMB),
                         Format("%.3f", seconds), rate, ratio, Format("%.3f", cpu), cpuRatio,
                         Format("%.1f", rss), target});
    }
    std::printf("\n");
    if (markdown) {
        const auto line = [](const std::vector<std::string>& cells) {
            std::string text = "|";
            for (const auto& cell : cells)
                text += " " + cell + " |";
            std::printf("%s\n", text.c_str());
        };
        line(header);
        line(std::vector<std::string>(header.size(), "---"));
        for (const auto& cells : table)
            line(cells);
        return;
    }
    std::vector<std::size_t> widths(header.size());
    for (std::size_t c = 0; c < header.size(); ++c) {
        widths[c] = header[c].size();
        for (const auto& cells : table)
            widths[c] = std::max(widths[c], cells[c].size());
    }
    const auto line = [&](const std::vector<std::string>& cells) {
        std::string text;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            const std::string pad(widths[c] - cells[c].size(), ' ');
            // Names and targets to the left, figures to the right.
            if (c + 1 == cells.size())
                text += cells[c];
            else
                text += c == 0 ? cells[c] + pad : pad + cells[c];
            text += c + 1 == cells.size() ? "" : "  ";
        }
        std::printf("%s\n", text.c_str());
    };
    line(header);
    for (const auto& cells : table)
        line(cells);
}

// Cores, processor and file system, for the record under the figures.
std::string MachineText(const std::string& folder)
{
    std::string model = "unknown processor";
    if (std::FILE* info = std::fopen("/proc/cpuinfo", "r")) {
        char line[512];
        while (std::fgets(line, sizeof line, info)) {
            if (std::strncmp(line, "model name", 10) == 0) {
                if (const char* colon = std::strchr(line, ':')) {
                    model = colon + 1 + std::strspn(colon + 1, " \t");
                    model.erase(model.find_last_not_of("\r\n") + 1);
                }
                break;
            }
        }
        std::fclose(info);
    }
    struct statfs fs {};
    std::string fsName = "unknown file system";
    if (::statfs(folder.c_str(), &fs) == 0) {
        if (fs.f_type == 0xEF53)
            fsName = "ext4";
        else if (fs.f_type == 0x01021994)
            fsName = "tmpfs";
        else
            fsName = "file system type " + std::to_string(fs.f_type);
    }
    return std::to_string(::sysconf(_SC_NPROCESSORS_ONLN)) + " cores, " + model + ", " + fsName +
           " in " + folder;
}

int Run(const Options& options)
{
    const std::string parent =
        options.dir.empty() ? fs::temp_directory_path().string() : options.dir;
    const std::uint64_t mboxBytes = options.sizeMb * 1000000ull;
    if (options.verify && options.sizeMb > 500) {
        std::fprintf(stderr, "norvane_bench: --verify holds whole files in memory; "
                             "use it with --size-mb 500 or less.\n");
        return 2;
    }
    // The master mbox, a master that Vesk leaves unchanged, the working copy,
    // the temporary file of a rewrite, a backup and a plain copy (and three
    // more copies to verify), the .eml folder (about 120 kB a file) and some
    // room to spare.
    const std::uint64_t needed = (options.verify ? 9 : 6) * mboxBytes +
                                 static_cast<std::uint64_t>(options.files) * 120000ull + (256ull << 20);
    const std::uint64_t available = FreeDiskBytes(parent);
    if (available < needed) {
        std::fprintf(stderr,
                     "norvane_bench: not enough free disk in %s: this run needs about %.0f MiB, "
                     "%.0f MiB are free.\n",
                     parent.c_str(), static_cast<double>(needed) / kMiB,
                     static_cast<double>(available) / kMiB);
        return 2;
    }

    CorpusFolder folder(parent, options.keep);
    const std::string master = folder.File("master.mbox");
    const std::string work = folder.File("work.mbox");
    const std::string emlFolder = folder.File("eml");
    fs::create_directory(emlFolder);

    CorpusOptions corpus;
    corpus.seed = options.seed;
    std::printf("norvane_bench: generating the corpus in %s ...\n", folder.Path().c_str());
    std::fflush(stdout);
    // Generated in a child so this process stays small for the measured ones.
    const RunResult made = RunInChild([&] {
        const CorpusStats mbox = WriteMbox(master, mboxBytes, corpus);
        const CorpusStats eml = WriteEmlFolder(emlFolder, options.files, corpus);
        std::printf("mbox: %.1f MB, %llu messages, %llu multipart/mixed, %llu attachments\n",
                    static_cast<double>(mbox.bytes) / kMB,
                    static_cast<unsigned long long>(mbox.messages),
                    static_cast<unsigned long long>(mbox.multipartMixed),
                    static_cast<unsigned long long>(mbox.attachments));
        std::printf("eml:  %.1f MB in %d files, %llu multipart/mixed\n",
                    static_cast<double>(eml.bytes) / kMB, options.files,
                    static_cast<unsigned long long>(eml.multipartMixed));
        std::fflush(stdout);
        return Counts{static_cast<long long>(mbox.bytes), static_cast<long long>(eml.bytes)};
    });
    std::printf("generated in %.1f s\n", made.seconds);
    const std::uint64_t mboxSize = FileSize(master);
    const auto emlBytes = static_cast<std::uint64_t>(made.counts.second);

    std::vector<std::string> paths;
    for (const auto& entry : fs::directory_iterator(emlFolder))
        paths.push_back(entry.path().string());
    std::sort(paths.begin(), paths.end());

    if (options.verify) {
        std::printf("verifying the engine on the corpus ...\n");
        const RunResult checked = RunInChild([&] {
            const auto findings = VerifyEngine(master, paths, folder.Path());
            for (const auto& finding : findings)
                std::printf("verify: %s\n", finding.c_str());
            std::fflush(stdout);
            return Counts{static_cast<long long>(findings.size()), 0};
        });
        if (checked.counts.first > 0) {
            std::printf("verify: %lld findings; nothing measured\n", checked.counts.first);
            return 4;
        }
        std::printf("verify: single pass, two steps and reference agree (%.1f s, peak %.0f MiB)\n",
                    checked.seconds, static_cast<double>(checked.peakRssKiB) / 1024.0);
    }

    const RunResult idle = RunInChild([] { return Counts{}; });

    // The mbox as Vesk with attachments kept leaves it: Vesk with the same
    // options finds nothing to change in it.
    const std::string unchangedMaster = folder.File("unchanged.mbox");
    CopyFileFlushed(master, unchangedMaster);
    RunInChild([&] { return RunVesk(unchangedMaster, false, false); });
    const std::uint64_t unchangedSize = FileSize(unchangedMaster);
    struct stat before {};
    ::stat(unchangedMaster.c_str(), &before);
    RunInChild([&] { return RunVesk(unchangedMaster, false, false); });
    struct stat after {};
    ::stat(unchangedMaster.c_str(), &after);
    if (after.st_ino != before.st_ino)
        throw std::runtime_error("Vesk changed a file it had already processed");

    const std::string backup = folder.File("work.bak");
    const std::string plainCopy = folder.File("work.copy");
    auto freshCopy = [&] {
        ::unlink(backup.c_str());
        ::unlink(plainCopy.c_str());
        CopyFileFlushed(master, work);
    };
    auto freshUnchanged = [&] { CopyFileFlushed(unchangedMaster, work); };
    // The eml files copied afresh for each Vesk job over them.
    const std::string veskFolder = folder.File("vesk-eml");
    std::vector<std::string> veskPaths;
    for (const auto& path : paths)
        veskPaths.push_back(veskFolder + "/" + fs::path(path).filename().string());
    auto freshEml = [&] {
        fs::remove_all(veskFolder);
        fs::copy(emlFolder, veskFolder);
        ::sync();
    };
    const unsigned cores = norvane::CoreCount();
    const std::vector<Task> tasks = {
        {"rewrite (baseline)", freshCopy,
         [&] { return Counts{static_cast<long long>(PlainRewrite(work)), 0}; }},
        {"rewrite by lines", freshCopy,
         [&] { return Counts{static_cast<long long>(LineRewrite(work)), 0}; }},
        {"Vesk, no backup", freshCopy, [&] { return RunVesk(work, false); }},
        {"Vesk, backup", freshCopy, [&] { return RunVesk(work, true); }},
        {"Vesk, attachments kept", freshCopy, [&] { return RunVesk(work, false, false); }},
        {"header read (baseline)", nullptr,
         [&] { return Counts{static_cast<long long>(ReadFirstHeaderBlocks(paths)), 0}; }, 3},
        {"Analyze", nullptr, [&] { return RunAnalyze(paths); }, 3},
        {"Vesk, no backup + kernel copy", freshCopy,
         [&] {
             CopyFileFlushed(work, plainCopy);
             return RunVesk(work, false);
         }},
        {"Vesk, file unchanged", freshUnchanged, [&] { return RunVesk(work, false, false); }},
        {"header read, plain read()", nullptr,
         [&] { return Counts{static_cast<long long>(PlainHeaderRead(paths)), 0}; }, 3},
        {"Analyze job -j 1", nullptr, [&] { return RunAnalyzeJobOn(paths, 1); }, 3},
        {"Analyze job -j cores", nullptr, [&] { return RunAnalyzeJobOn(paths, cores); }, 3},
        {"Vesk job -j 1", freshEml, [&] { return RunVeskJobOn(veskPaths, 1); }},
        {"Vesk job -j cores", freshEml, [&] { return RunVeskJobOn(veskPaths, cores); }},
    };
    std::printf("measuring: %d runs of each (x3 for the short Analyze pair), taken in turn; "
                "each mbox run on a fresh copy ...\n",
                options.runs);
    std::fflush(stdout);
    const std::vector<Measurement> measurements = MeasureInTurn(tasks, options.runs);

    const std::vector<Row> rows = {
        {0, -1, mboxSize, 0, 0, 0, "baseline"},
        {1, 0, mboxSize, 0, 0, 0, "(line splitting alone)"},
        {2, 0, mboxSize, 0, 2.0, 32, ""},
        {7, 0, mboxSize, 0, 0, 0, "(baseline of the backup)"},
        {3, 7, mboxSize, 0, 1.15, 0, ""},
        {4, 0, mboxSize, 0, 0, 0, "(headers only, no target)"},
        {8, 0, unchangedSize, 0, 0.3, 0, ""},
        {5, -1, emlBytes, paths.size(), 0, 0, "baseline"},
        {6, 5, emlBytes, paths.size(), 2.0, 0, ""},
        {9, -1, emlBytes, paths.size(), 0, 0, "plain baseline"},
        {6, 9, emlBytes, paths.size(), 0, 0, "(against the plain read)"},
        {10, 9, emlBytes, paths.size(), 1.3, 0, ""},
        {10, 5, emlBytes, paths.size(), 0, 0, "(against the old baseline)"},
        {11, 10, emlBytes, paths.size(), 0, 0, "(against -j 1)"},
        {12, -1, emlBytes, paths.size(), 0, 0, ""},
        {13, 12, emlBytes, paths.size(), 0, 0, "(against -j 1)"},
    };
    bool missed = false;
    PrintTable(measurements, rows, options.markdown, missed);

    const double analyzeSpeedUp = measurements[10].MedianSeconds() / measurements[11].MedianSeconds();
    const double veskSpeedUp = measurements[12].MedianSeconds() / measurements[13].MedianSeconds();
    std::printf("\nspeed-up of -j %u over -j 1 on %zu files: Analyze %.2fx (target 1.5), Vesk %.2fx (target 1.3)\n",
                cores, paths.size(), analyzeSpeedUp, veskSpeedUp);
    if (cores >= 2 && (analyzeSpeedUp < 1.5 || veskSpeedUp < 1.3))
        missed = true;

    const Counts vesk = measurements[2].LastCounts();
    const Counts analyze = measurements[6].LastCounts();
    std::printf("\nVesk: %lld attachment lines and %lld header lines removed, %.1f MB left\n",
                vesk.first, vesk.second, static_cast<double>(vesk.bytesLeft) / kMB);
    std::printf("Analyze: %lld header lines counted, %lld distinct keys in %zu files\n",
                analyze.first, analyze.second, paths.size());
    std::printf("a child doing nothing peaks at %.1f MiB; MB = 10^6 bytes; page cache warm\n",
                static_cast<double>(idle.peakRssKiB) / 1024.0);
    std::printf("machine: %s\n", MachineText(parent).c_str());
    return missed ? 3 : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        Usage();
        return 2;
    }
    try {
        return Run(options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "norvane_bench: %s\n", e.what());
        return 2;
    }
}
