#include "engine/move_messages.h"

namespace kqm {

std::string StatusText(uint32_t code) {
  switch (code) {
    case 2: return "the file was not found";
    case 3: return "the folder does not exist";
    case 5: return "access is denied";
    case 13: return "the data did not read back as written";
    case 17: return "it cannot be moved to another drive";
    case 29: return "the disk could not be written";
    case 32: return "another program is using the file";
    case 112: return "the disk is full";
    case 123: return "the name is not valid there";
    case 234: return "the data kept changing while it was read";
    default: return "error " + std::to_string(code);
  }
}

std::string StillKeptOffNote(const std::string& place, uint32_t code) {
  return "Windows' own startup approval still keeps it from starting: " + place + " refused the change (" +
         StatusText(code) + ").";
}

std::string MovedWithNotesMessage(const std::string& name, bool toEnable, const MoveResult& r) {
  std::string text = std::string("The startup entry \"") + name + "\" was " + (toEnable ? "enabled" : "disabled") +
                     ", but:";
  for (const std::string& note : r.notes) text += "\n\n" + note;
  return text;
}

std::string UntrustedQuestionText(const UntrustedQuestion& q) {
  std::string text = "\"" + q.name + "\" in " + q.folder +
                     (q.changed ? " has changed since this program switched it off."
                                : " was not switched off by this program: someone else put it there.");
  text += "\n\nIt is " + std::to_string(q.size) + " bytes and starts " + q.starts + ".";
  return text + "\n\nMove it into the StartUp folder, where it starts at " +
         (q.allUsers ? "every user's log-on" : "your log-on") + "? Choose No to leave it where it is.";
}

std::string ReadProblemText(const std::string& place, uint32_t code) {
  return place + " could not be read (" + StatusText(code) + "): its entries are not listed.";
}

std::string NotMovedMessage(const std::string& name, bool toEnable, const MoveResult& r) {
  std::string text = std::string("The startup entry \"") + name + "\" could not be " +
                     (toEnable ? "enabled" : "disabled") + ".\n\n";
  switch (r.failure) {
    case MoveFailure::kNone: break;
    case MoveFailure::kNoPlace:
      text += "There is no place to keep it: it is not an entry this program can move.";
      break;
    case MoveFailure::kUnaddressable:
      text += "Its name holds characters that cannot be passed to Windows exactly (a NUL character or an unpaired "
              "surrogate), so it was left alone.";
      break;
    case MoveFailure::kGone:
      text += "It no longer exists in " + r.source + ": another program has removed or renamed it since the list "
              "was shown.";
      break;
    case MoveFailure::kChanged:
      text += "Another program has changed it in " + r.source + " since the list was shown.";
      break;
    case MoveFailure::kNameTaken:
      text += r.destination + " already holds a different entry named \"" + name + "\", which was kept.";
      break;
    case MoveFailure::kAccessDenied:
      text += "Windows denied access to " + r.failedAt + ": changing it needs administrator rights.";
      break;
    case MoveFailure::kRefused: text += r.failedAt + " refused the change: " + StatusText(r.code) + "."; break;
    case MoveFailure::kLinked:
      text += r.failedAt + " is a symbolic link or junction: it leads somewhere else, so the program moves nothing "
              "into, out of or through it.";
      break;
    case MoveFailure::kSameFile:
      text += r.source + " and " + r.destination + " hold it as one and the same file (one of them leads to the "
              "other), so removing it from one would remove it from both.";
      break;
    case MoveFailure::kDestinationChanged:
      text += "While you were asked, another program changed the entry in " + r.destination +
              " that the question named, so nothing was replaced.";
      break;
    case MoveFailure::kNotRecorded:
      text += "The program could not note the move in its ledger first (which lets it finish a move cut short), "
              "so it did not start.";
      break;
    case MoveFailure::kUnrecorded:
      text += r.failedAt + " was not switched off by this program (someone else put it in the Disabled folder), so "
              "it is not moved into a StartUp folder, where it would start at log-on, without your say.";
      break;
    case MoveFailure::kChangedSinceOff:
      text += r.failedAt + " has changed since this program switched it off, so it is not moved into a StartUp "
              "folder, where it would start at log-on, without your say.";
      break;
    case MoveFailure::kBusy:
      text += "Another copy of the program is moving startup entries right now, so nothing was changed. Try again "
              "in a moment.";
      break;
    case MoveFailure::kBothKept:
      text += "Its program added it again while this program keeps a switched-off copy of it, and nothing decided "
              "which of the two to keep (the window asks), so both were left as they are.";
      break;
    case MoveFailure::kUnconfirmed:
      text += "Windows could not confirm that it was removed from " + r.source + ".";
      break;
  }
  if (r.failure == MoveFailure::kUnconfirmed)
    text += "\n\nIt is in " + r.destination + " and may also still be in " + r.source + ".";
  else if (r.inBothPlaces)
    text += "\n\nIt is now in both " + r.source + " and " + r.destination + ". Remove one of them to keep it "
            "in one place.";
  else if (r.failure != MoveFailure::kGone && r.failure != MoveFailure::kBusy)
    text += "\n\nIt was not moved and is still in " + r.source + ".";
  if (r.failure == MoveFailure::kGone || r.failure == MoveFailure::kChanged ||
      r.failure == MoveFailure::kDestinationChanged || r.inBothPlaces)
    text += " The list is shown again as it is now.";
  for (const std::string& note : r.notes) text += "\n\n" + note;
  return text;
}

std::string ReplaceQuestionText(const ReplaceQuestion& q) {
  std::string text = q.destination + " already holds ";
  text += q.existing == q.name ? "a different entry of the same name, \"" + q.name + "\"."
                               : "an entry named \"" + q.existing + "\", which Windows takes for \"" + q.name + "\".";
  return text + "\n\nReplace it with the one you are moving? The entry replaced is lost. Choose No to leave both "
                "as they are.";
}

}  // namespace kqm
