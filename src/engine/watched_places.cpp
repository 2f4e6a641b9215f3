#include <algorithm>

#include "engine/entry_engine.h"
#include "engine/startup_approval.h"

namespace kqm {

namespace {
WatchedPlace WatchedKey(const RegPlace& place) {
  return {WatchedPlace::Kind::kRegistryKey, place.root, place.path, (place.view & kKeyWow64_32) != 0};
}
}  // namespace

std::vector<WatchedPlace> EntryEngine::WatchedPlaces(LocationId id) {
  const Location& location = LocationOf(id);
  std::vector<WatchedPlace> out;
  if (location.IsFolder()) {
    // Asked quietly: a load has already told the user of a folder the shell does not give.
    const FolderPair folders = FoldersFor(location, shell_, nullptr, ownerWindow_, sDisabledPath_);
    for (const std::string& folder : {folders.live, folders.disabled})
      if (!folder.empty()) out.push_back({WatchedPlace::Kind::kFolder, 0, WithoutTrailingSeparator(folder), false});
    out.push_back(WatchedKey(ApprovalPlace(location.root, location.approvals)));
    return out;
  }
  // The same places a load reads, in the same views.
  const auto add = [&out](const WatchedPlace& place) {
    if (std::find(out.begin(), out.end(), place) == out.end()) out.push_back(place);
  };
  for (const auto& [view, userStore] : {std::pair{RegView::kNative, false}, std::pair{RegView::k32, false},
                                        std::pair{RegView::kNative, true}}) {
    if (userStore && location.root != kHkeyCurrentUser) continue;
    const EntryPlaces places = PlacesFor(location, view, userStore);
    if (!userStore && (view == RegView::kNative || location.HasTwoViews())) {
      add(WatchedKey(places.live));
      if (places.approvals) add(WatchedKey(ApprovalPlace(location.root, places.approvals)));
    }
    add(WatchedKey(places.store));
  }
  return out;
}

}  // namespace kqm
