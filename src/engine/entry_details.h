#pragma once
#include <optional>
#include <string>

#include "engine/clsStartUp.h"
#include "engine/program_resolver.h"

namespace kqm {

// What the details of a listed entry show.
struct EntryDetails {
  std::string command;   // the command line as stored (for a StartUp file: its target or path)
  std::string storedIn;  // the key (with its view) or the folder that holds the entry
  std::string type;      // the registry type ("REG_SZ" ...), "shortcut" or "file"; "" when unknown
  ResolvedProgram program;
  std::optional<ProgramFileFacts> facts;  // for a program file that exists
};

// The details as lines of text: the command line; where the entry is stored and its type; the program and what
// its version resource says, or "file not found"; its size and dates.
std::string EntryDetailsText(const EntryDetails& details);

// An automation date (days since 1899-12-30, UTC) as "YYYY-MM-DD HH:MM UTC"; "" for dates before 1601-01-02.
std::string DateText(double automationDate);

// Gathers the details of one row of a list the engine filled (the list's tag says which kind), reading the
// registry, the file system and the program's version resource once.
EntryDetails DescribeListedEntry(clsStartUp& engine, const std::string& listTag, const ListItem& row,
                                 const ProgramLookup& lookup);

// The command line a row shows, without the marks added for its view or Windows' switch.
std::string ListedCommand(const ListItem& row);

// The program a row of a list the engine filled starts; none for registry data of a type the system does not run
// as a command (binary, numbers, lists: what they show is no command line) and for a text shown in place of one.
// Reads the entry's type from the registry for registry rows.
std::optional<ResolvedProgram> ListedProgram(clsStartUp& engine, const std::string& listTag, const ListItem& row,
                                             const ProgramLookup& lookup);

}  // namespace kqm
