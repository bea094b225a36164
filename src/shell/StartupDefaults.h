#pragma once

class UserDefaults;

// Writes the settings every later part relies on, each only when the user has
// none of their own, then saves the store. Returns whether the save worked.
bool establishStartupDefaults(UserDefaults& defaults);
