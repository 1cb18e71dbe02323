#pragma once

// What the session bus says about the program's StatusNotifierItem.
namespace hopsmeld {

// Whether a StatusNotifierWatcher runs and lists an item published by this process: only then
// does a host show the icon. Watchers list an item as a bus name (well-known or unique),
// alone or followed by the item's object path.
bool watcherListsOwnItem();

} // namespace hopsmeld
