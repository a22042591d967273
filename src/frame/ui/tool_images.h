#pragma once
// The tool bar and menu images, drawn for this program with QPainter when the
// window is built, at 16 and 32 px.
#include <QIcon>

#include "frame/command_table.h"

namespace kanro::frame {

// The image of a command (a null icon when it has none).
QIcon CommandImage(const CommandInfo& info);
// The caption bar's information image (bitmap 230).
QIcon InformationImage();
// The program icon for the window and the about box.
QIcon ProgramIcon();

}  // namespace kanro::frame
