#pragma once

// What the session bus says about the program's StatusNotifierItem.
namespace hopsmeld {

// Whether a StatusNotifierWatcher runs and lists an item published by this process: only then
// does a host show the icon. A watcher that does not answer within half a second counts as none.
bool watcherListsOwnItem();

} // namespace hopsmeld
