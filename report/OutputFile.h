#pragma once
// The one writer of the files the program writes: the report (-o, Save As CSV) and whatever comes
// later. It writes where the path points and never destroys what is there: a device, a FIFO or a
// terminal is written to, not replaced; a link's target gets the text and the link stays a link; a
// regular file is replaced whole through a temporary file beside it and keeps its mode; the level
// being reported is never written over.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

// A file as the system knows it, whatever name or link leads to it.
struct FileIdentity {
    dev_t Device = 0;
    ino_t Inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The file path leads to (links followed); none when there is nothing there.
std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path);
std::optional<FileIdentity> IdentityOf(int descriptor);

// How a write treats what is already at the path.
struct OutputRules {
    // The level being reported: a path that leads to it (by its name, a link or a hard link) is refused.
    std::optional<FileIdentity> NeverOver = std::nullopt;
    // The name itself gets a new file, whatever it holds now: a link is replaced, not followed; a FIFO or
    // a device is replaced, not written into; a file with other hard links keeps its bytes under those
    // names. For the files the program owns outright (the texture tiles), where nothing behind such a
    // name can be meant to receive them.
    bool ReplaceTheName = false;
    // The bytes reach the disk (fsync) before the new file takes the name.
    bool Durable = true;
};

// Writes text as the whole content of what path names. neverOver is the level being reported: a path
// that leads to it is refused. Returns "" on success, otherwise the reason in a few words.
std::string WriteOutputFile(const std::filesystem::path& path, std::string_view text,
                            std::optional<FileIdentity> neverOver = std::nullopt);
std::string WriteOutputFile(const std::filesystem::path& path, std::string_view text,
                            const OutputRules& rules);

// The same write with the bytes of source, a file open for reading, from its start to its end: they are
// copied a block at a time (inside the kernel where it can), so a report of any size is written in
// bounded memory, under every rule above. "" or the reason.
std::string CopyToOutputFile(const std::filesystem::path& path, int source, const OutputRules& rules = {});

// Writes all of text to an open descriptor (standard output, a file being made), carrying on after
// short writes and interruptions. "" or the reason.
std::string WriteToDescriptor(int descriptor, std::string_view text);

// Whether an open descriptor (standard output) is the level file: a regular file with its identity. A
// terminal or a pipe that is also the level's standard input is not.
bool IsTheLevel(int descriptor, std::optional<FileIdentity> level);

// The reason of a failed system call in a few lower-case words.
std::string ReasonOfError(int error);

inline constexpr std::string_view kIsTheLevelFile = "it is the level file being reported";
