#include "cli/SummaryCommand.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <ostream>
#include <sys/stat.h>
#include <thread>
#include <tuple>
#include <unistd.h>
#include <xxhash.h>

#include "check/Check.h"
#include "cli/UsageError.h"
#include "format/Fault.h"
#include "format/LevelFormat.h"
#include "format/WalkMap.h"
#include "report/AppState.h"
#include "report/JsonReport.h"
#include "report/OutputFile.h"
#include "report/ReportRun.h"
#include "report/ThreadStart.h"

namespace {

struct CountColumn {
    const char* Name;
    Piece What;
};
// The main chunks whose counts the summary shows, in file order.
constexpr std::array kCountColumns{
    CountColumn{"tiles", Piece::TextureTiles},
    CountColumn{"rooms", Piece::Rooms},
    CountColumn{"floor_words", Piece::FloorData},
    CountColumn{"animations", Piece::Animations},
    CountColumn{"moveables", Piece::Moveables},
    CountColumn{"static_meshes", Piece::StaticMeshes},
    CountColumn{"object_textures", Piece::ObjectTextures},
    CountColumn{"sprite_textures", Piece::SpriteTextures},
    CountColumn{"cameras", Piece::Cameras},
    CountColumn{"sound_sources", Piece::SoundSources},
    CountColumn{"boxes", Piece::Boxes},
    CountColumn{"items", Piece::Items},
    CountColumn{"sound_details", Piece::SoundDetails},
};

// The checker's counts only: no finding is given on, none is kept.
class CountOnly final : public check::FindingSink {
  public:
    void Found(const check::Finding&) override {}
};

// The whole file's hash, read in blocks into one buffer a thread: cheaper than faulting in every page
// of the mapping, and not bound to the 2 GiB the mapping holds. None when the file cannot be read.
std::optional<uint64_t> HashOf(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    thread_local std::vector<char> block(size_t{1} << 20);
    XXH3_state_t* state = XXH3_createState();
    XXH3_64bits_reset(state);
    std::optional<uint64_t> hash;
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(fd, block.data(), block.size(), at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        if (n == 0) {
            hash = XXH3_64bits_digest(state);
            break;
        }
        XXH3_64bits_update(state, block.data(), static_cast<size_t>(n));
        at += n;
    }
    ::close(fd);
    XXH3_freeState(state);
    return hash;
}

SummaryRow SummariseFile(const std::string& path) {
    SummaryRow row;
    row.Path = path;
    row.Counts.assign(kCountColumns.size(), std::nullopt);
    AppState state; // every detail option off
    // The row needs the walk's ending and the chunks' counts, not its text nor its rooms: the text is
    // counted against the size limit and dropped, and each room's spans go once it is closed.
    state.Report.KeepNoText();
    state.Map.Watch(nullptr, ClosedRooms::Dropped);
    ReportLevelFile(state, path);
    const RunOutcome& run = state.LastRun;
    if (run.Unread) {
        std::error_code ec;
        // An empty file is there and readable; it only holds no level.
        const bool empty =
            std::filesystem::is_regular_file(path, ec) && std::filesystem::file_size(path, ec) == 0;
        row.Outcome = empty ? "not-a-level" : "unreadable";
        if (empty) {
            row.Size = 0;
            row.Hash = XXH3_64bits(nullptr, 0);
        }
        return row;
    }
    const LevelFile& level = *state.Level;
    row.Size = level.FileLength();
    row.Version = ReadVersionCode(level, 0);
    const WalkMap& map = state.Map;
    if (run.Walked())
        row.Generation = map.Generation();
    row.Outcome = std::string(EndingName(run.End.How));
    row.EndOffset = run.End.Offset;
    row.AtFileEnd = row.EndOffset == row.Size;
    if (run.Walked())
        for (size_t c = 0; c < kCountColumns.size(); ++c)
            if (const int32_t span = map.Find(kCountColumns[c].What); span >= 0)
                row.Counts[c] = map[span].Count;
    // The checker needs every section's runs: a second walk, whose records are never formatted. Only a
    // level whose walk ended at its last byte is checked: the columns count what a whole level holds.
    if (run.Walked() && map.Ending() == WalkEnding::Completed && row.AtFileEnd) {
        CountOnly none;
        check::CheckOptions countOnly;
        countOnly.MostPerRule = 0;
        countOnly.Path = path;
        const check::CheckCounts found = check::CheckLevel(level, countOnly, none);
        row.Errors = found.Errors;
        row.Warnings = found.Warnings;
    }
    row.Hash = HashOf(path);
    return row;
}

// The same file reached by several names (links) is walked once.
using FileKey = std::tuple<dev_t, ino_t, off_t, int64_t, int64_t>;
std::optional<FileKey> KeyOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return FileKey{info.st_dev, info.st_ino, info.st_size, info.st_mtim.tv_sec, info.st_mtim.tv_nsec};
}

bool StartsWithLevelWord(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    uint8_t word[format::kVersionWordBytes] = {};
    const ssize_t n = ::pread(fd, word, sizeof word, 0);
    ::close(fd);
    if (n != format::kVersionWordBytes)
        return false;
    const uint32_t value =
        word[0] | (word[1] << 8) | (word[2] << 16) | (static_cast<uint32_t>(word[3]) << 24);
    return format::GenerationOf(value).has_value();
}

void CollectFolder(const std::filesystem::path& folder, std::vector<std::string>& files) {
    std::error_code ec;
    std::vector<std::filesystem::path> entries;
    for (std::filesystem::directory_iterator
             it(folder, std::filesystem::directory_options::skip_permission_denied, ec),
         end;
         !ec && it != end; it.increment(ec))
        entries.push_back(it->path());
    std::sort(entries.begin(), entries.end());
    for (const std::filesystem::path& entry : entries) {
        // Links to folders are not followed, so a link back up cannot loop.
        if (std::filesystem::is_directory(std::filesystem::symlink_status(entry, ec)))
            CollectFolder(entry, files);
        else if (std::filesystem::is_regular_file(entry, ec) && StartsWithLevelWord(entry))
            files.push_back(entry.string());
    }
}

void CsvField(std::string& out, std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += text;
        return;
    }
    out += '"';
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

std::string HashText(uint64_t hash) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

} // namespace

bool IsSummaryRequest(const std::vector<std::string>& args) {
    // --help and --version are the report's: its help describes the summary too.
    const auto optionsEnd = std::find(args.begin(), args.end(), "--");
    const auto given = [&](std::string_view option) {
        return std::find(args.begin(), optionsEnd, option) != optionsEnd;
    };
    return given("--summary") && !given("--help") && !given("-h") && !given("--version");
}

std::vector<std::string> SummaryFiles(const std::vector<std::string>& paths) {
    std::vector<std::string> files;
    for (const std::string& path : paths) {
        std::error_code ec;
        if (std::filesystem::is_directory(path, ec))
            CollectFolder(path, files);
        else
            files.push_back(path);
    }
    return files;
}

std::vector<SummaryRow> Summarise(const std::vector<std::string>& files, unsigned threads) {
    // Each distinct file once: the rows of its other names copy its row.
    std::vector<size_t> firstOf(files.size());
    std::vector<size_t> distinct;
    std::map<FileKey, size_t> seen;
    for (size_t i = 0; i < files.size(); ++i) {
        const std::optional<FileKey> key = KeyOf(files[i]);
        if (key) {
            const auto [it, fresh] = seen.emplace(*key, i);
            firstOf[i] = it->second;
            if (!fresh)
                continue;
        } else {
            firstOf[i] = i;
        }
        distinct.push_back(i);
    }

    std::vector<SummaryRow> rows(files.size());
    std::atomic<size_t> next{0};
    const auto work = [&] {
        for (size_t d = next++; d < distinct.size(); d = next++)
            rows[distinct[d]] = SummariseFile(files[distinct[d]]);
    };
    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    threads = static_cast<unsigned>(std::min<size_t>(threads, std::max<size_t>(1, distinct.size())));
    {
        // This thread takes files too, so the summary goes on with the helpers the system lets start.
        std::vector<std::jthread> workers;
        workers.reserve(threads);
        for (unsigned t = 1; t < threads; ++t) {
            std::jthread worker = TryStartThread(work);
            if (!worker.joinable())
                break;
            workers.push_back(std::move(worker));
        }
        work();
    }
    for (size_t i = 0; i < files.size(); ++i)
        if (firstOf[i] != i) {
            rows[i] = rows[firstOf[i]];
            rows[i].Path = files[i];
        }
    return rows;
}

std::string SummaryText(const std::vector<SummaryRow>& rows, bool json) {
    static constexpr std::array kLeading{"path",    "size",       "version",    "generation",
                                         "outcome", "end_offset", "at_file_end"};
    std::string out;
    if (json) {
        out += "{\"summary\": [\n";
    } else {
        for (const char* name : kLeading)
            out.append(name).append(",");
        for (const CountColumn& column : kCountColumns)
            out.append(column.Name).append(",");
        out += "xxh3,errors,warnings\n";
    }
    for (size_t r = 0; r < rows.size(); ++r) {
        const SummaryRow& row = rows[r];
        const auto number = [&](std::string_view name, std::optional<int64_t> value) {
            if (json) {
                out += ", ";
                AppendJsonString(out, name);
                out += ": ";
                out += value ? std::to_string(*value) : "null";
            } else {
                out += ',';
                if (value)
                    out += std::to_string(*value);
            }
        };
        const auto text = [&](std::string_view name, std::string_view value, bool present) {
            if (json) {
                out += ", ";
                AppendJsonString(out, name);
                out += ": ";
                if (present)
                    AppendJsonString(out, value);
                else
                    out += "null";
            } else {
                out += ',';
                CsvField(out, value);
            }
        };
        if (json) {
            out += "{\"path\": ";
            AppendJsonString(out, row.Path);
        } else {
            CsvField(out, row.Path);
        }
        number("size", row.Size >= 0 ? std::optional<int64_t>(row.Size) : std::nullopt);
        text("version", row.Version, !row.Version.empty());
        number("generation", row.Generation ? std::optional<int64_t>(row.Generation) : std::nullopt);
        text("outcome", row.Outcome, true);
        number("end_offset", row.EndOffset);
        if (json)
            out += row.EndOffset ? (row.AtFileEnd ? ", \"at_file_end\": true" : ", \"at_file_end\": false")
                                 : ", \"at_file_end\": null";
        else
            out += row.EndOffset ? (row.AtFileEnd ? ",yes" : ",no") : ",";
        for (size_t c = 0; c < kCountColumns.size(); ++c)
            number(kCountColumns[c].Name, c < row.Counts.size() && row.Counts[c]
                                              ? std::optional<int64_t>(*row.Counts[c])
                                              : std::nullopt);
        text("xxh3", row.Hash ? HashText(*row.Hash) : "", row.Hash.has_value());
        number("errors", row.Errors);
        number("warnings", row.Warnings);
        if (json)
            out += r + 1 < rows.size() ? "},\n" : "}\n";
        else
            out += '\n';
    }
    if (json)
        out += "]}\n";
    return out;
}

int RunSummaryCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                      int outDescriptor) {
    bool json = false;
    bool optionsEnd = false;
    std::vector<std::string> paths;
    const auto usage = [&](const std::string& what) { return PrintUsageError(err, "strata-report", what); };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnd || arg.empty() || arg[0] != '-' || arg == "-") {
            paths.push_back(arg);
        } else if (arg == "--") {
            optionsEnd = true;
        } else if (arg == "--summary") {
            continue;
        } else if (arg == "--format" || arg.starts_with("--format=")) {
            std::string format;
            if (arg == "--format") {
                if (i + 1 >= args.size())
                    return usage("--format needs a value: csv or json");
                format = args[++i];
            } else {
                format = arg.substr(9);
            }
            if (format != "csv" && format != "json")
                return usage("--format of --summary is csv or json, not " + Quoted(format));
            json = format == "json";
        } else {
            return usage(arg + " is not an option of --summary");
        }
    }
    if (paths.empty())
        return usage("--summary needs at least one FILE or DIR");

    const std::vector<std::string> files = SummaryFiles(paths);
    // A standard output opened on one of the files (`>> level`) would take the summary onto its end.
    if (outDescriptor >= 0)
        for (const std::string& file : files)
            if (IsTheLevel(outDescriptor, IdentityOf(file))) {
                err << "strata-report: cannot write the summary to standard output: it is " << file
                    << ", a file being summarised\n";
                return 1;
            }
    const std::string text = SummaryText(Summarise(files), json);
    std::string reason;
    if (outDescriptor >= 0) {
        reason = WriteToDescriptor(outDescriptor, text);
    } else {
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.flush();
        if (!out)
            reason = "the stream failed";
    }
    if (!reason.empty()) {
        err << "strata-report: cannot write the summary: " << reason << '\n';
        return 1;
    }
    return 0;
}
