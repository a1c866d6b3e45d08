// What the main window's plot shows now, as a scene a view draws whole: the
// same traces, scales, stored trace and markers the plot engine has drawn on
// its raster, with the captions and readouts a view can add.
#pragma once

#include "display/plot_scene.h"

namespace orbilan::app {

class MainWindow;

display::PlotScene PlotSceneOf(const MainWindow& window);

} // namespace orbilan::app
