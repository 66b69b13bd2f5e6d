#pragma once
// The small map a zoomed control draws over its picture: the whole picture's outline in the
// window's lower right corner, the part shown marked in it, and the zoom factor ("x2.8").

class PictureZoom;
class QPainter;
class QRect;
class QSizeF;

// picture: the whole picture's size as drawn, for the map's proportions.
void DrawZoomIndicator(QPainter& painter, const QRect& client, const QSizeF& picture,
                       const PictureZoom& zoom);
