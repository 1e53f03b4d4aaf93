#pragma once
// Owns a posix_spawn attribute set and file-action list for one spawn.
#include <spawn.h>

namespace ferrolin::platform {

class SpawnSetup {
  public:
    SpawnSetup() {
        posix_spawnattr_init(&attr_);
        posix_spawn_file_actions_init(&actions_);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions_);
        posix_spawnattr_destroy(&attr_);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
    posix_spawnattr_t* attr() { return &attr_; }
    posix_spawn_file_actions_t* actions() { return &actions_; }

  private:
    posix_spawnattr_t attr_;
    posix_spawn_file_actions_t actions_;
};

}  // namespace ferrolin::platform
