#pragma once
// Enable and check state of one command, as the window's tool bars show it.

namespace kanro::view {

struct CommandState {
  bool enabled = true;
  bool checked = false;
};

}  // namespace kanro::view
