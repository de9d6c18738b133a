// The running program's path as it was started, which the configuration directory and the
// boxes' caption follow.
#pragma once

#include <QString>

// The path the program was started by, made absolute without following links: a link to the
// executable in another directory is that directory's program, with that directory's files.
// A start by bare name (found on the search path) gives the executable's own path. Empty
// before the application object exists.
QString StartedProgramPath();
