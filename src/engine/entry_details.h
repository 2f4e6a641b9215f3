#pragma once
#include <optional>
#include <string>

#include "engine/entry_engine.h"
#include "engine/program_resolver.h"
#include "engine/startup_entry.h"

namespace kqm {

// What the details of a listed entry show.
struct EntryDetails {
  std::string command;   // the command line as stored (for a StartUp file: its target or path)
  std::string storedIn;  // the key (with its view) or the folder that holds the entry
  std::string type;      // the registry type ("REG_SZ" ...), "shortcut" or "file"; "" when unknown
  ResolvedProgram program;
  std::optional<ProgramFileFacts> facts;  // for a program file that exists
  std::string novelty;  // "New since <date>" or "Changed since <date>" (see NoveltyText); "" for neither
};

// The details as lines of text: whether it is new or changed since the list was shown last; the command line;
// where the entry is stored and its type; the program and what its version resource says, or "file not found";
// its size and dates.
std::string EntryDetailsText(const EntryDetails& details);

// An automation date (days since 1899-12-30, UTC) as "YYYY-MM-DD HH:MM UTC"; "" for dates before 1601-01-02.
std::string DateText(double automationDate);

// Gathers the details of an entry as it was read, reading the program's file and version resource once.
EntryDetails DescribeEntry(EntryEngine& engine, const StartupEntry& entry, const ProgramLookup& lookup);

// The program an entry starts; none for registry data of a type the system does not run as a command (binary,
// numbers, lists: what they show is no command line) and for a text shown in place of one.
std::optional<ResolvedProgram> ProgramOf(const StartupEntry& entry, const ProgramLookup& lookup);

}  // namespace kqm
