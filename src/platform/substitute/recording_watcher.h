#pragma once
#include <functional>
#include <vector>

#include "platform/change_watcher.h"
#include "platform/clipboard.h"

namespace kqm {

// A change watcher for tests: keeps the places it was last asked to watch, and tests announce a change.
class RecordingWatcher final : public ChangeWatcher {
 public:
  void Watch(const std::vector<WatchedPlace>& places, std::function<void()> onChange) override {
    places_ = places;
    onChange_ = std::move(onChange);
    ++watchCalls_;
  }
  void Stop() override {
    places_.clear();
    onChange_ = nullptr;
  }
  // One of the watched places has changed (nothing happens when none is watched).
  void Change() {
    if (std::function<void()> handler = onChange_) handler();
  }
  const std::vector<WatchedPlace>& Places() const { return places_; }
  int WatchCalls() const { return watchCalls_; }

 private:
  std::vector<WatchedPlace> places_;
  std::function<void()> onChange_;
  int watchCalls_ = 0;
};

// A clipboard for tests: keeps the text last put on it.
class MemoryClipboard final : public Clipboard {
 public:
  int32_t SetText(const std::string& text) override {
    if (result_ == 0) text_ = text;
    return result_;
  }
  const std::string& Text() const { return text_; }
  // What SetText answers from now on (0 = success).
  void SetResult(int32_t status) { result_ = status; }

 private:
  std::string text_;
  int32_t result_ = 0;
};

}  // namespace kqm
