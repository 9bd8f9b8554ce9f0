#pragma once

// Whether the process has administrator rights: it may create a key directly below
// HKEY_CLASSES_ROOT (the probe key is deleted again at once). Asked once, then remembered for
// the whole process.
bool ProcessIsAdministrator();
