// The program's own icons, drawn here: the program icon "AppIcon", the joystick "130" and the
// loudspeaker "135".
#pragma once
#include <QIcon>
#include <QPixmap>

// The icon of that name at size x size pixels; an unknown name gives a transparent square.
QPixmap ProgramIconPixmap(const char* name, int size);
// The program icon at the sizes the window system asks for.
QIcon ProgramIcon();
