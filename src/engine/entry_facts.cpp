#include "engine/entry_engine.h"
#include "engine/program_lookup.h"
#include "fileinfo/clsFile_Kebbo.h"

namespace kqm {

std::string EntryEngine::StoredIn(const StartupEntry& entry) {
  if (entry.IsFile()) return entry.folder.empty() ? std::string() : entry.folder + entry.name;
  const EntryPlaces places = PlacesOf(entry);
  return PlaceTextWithView(entry.IsLive() ? places.live : places.store);
}

std::string EntryEngine::KeyPath(const StartupEntry& entry) const {
  if (entry.IsFile()) return {};
  const EntryPlaces places = PlacesOf(entry);
  return PlaceText(entry.IsLive() ? places.live : places.store);
}

ProgramLookup EntryEngine::Lookup() { return MakeProgramLookup(fs_, api_, shell_); }

ProgramFileFacts EntryEngine::FileFacts(const std::string& path) {
  clsFile_Kebbo file(fs_);
  file.sFileName(path);
  return {file.lSize(), file.dCreated(), file.dLastModified(), shell_.FileVersion(path)};
}

}  // namespace kqm
