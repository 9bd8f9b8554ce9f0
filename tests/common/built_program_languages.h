#pragma once

// Loads the language archive of the built program (BuiltProgramPath) into this process, where it
// serves every lookup from then on; the current language stays as it was. False when the path is
// not set or the archive cannot be loaded from it.
bool LoadBuiltProgramArchive();
