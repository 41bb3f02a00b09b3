// The program's own icon, drawn at start-up: a tile with a picture frame, in the header
// bar's greys with a blue accent.
#pragma once

#include <QIcon>

QIcon ProgramIcon();
