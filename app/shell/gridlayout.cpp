#include "app/shell/gridlayout.h"

#include <cmath>
#include <limits>

namespace {

constexpr const char* kNames[GridLayout::kKinds] = {"auto", "2x2", "3x3", "4x4", "1+5", "1+7", "1+12"};

} // namespace

GridLayout GridLayout::Named(const QString& name) {
    for (int k = 0; k < kKinds; ++k) {
        if (name == QLatin1String(kNames[k]))
            return GridLayout(static_cast<Kind>(k));
    }
    return GridLayout();
}

QString GridLayout::Name() const {
    return QString::fromLatin1(kNames[kind]);
}

GridLayout::ShapeOf GridLayout::Shape() const {
    switch (kind) {
    case TwoByTwo:
        return {2, 1, 4};
    case ThreeByThree:
        return {3, 1, 9};
    case FourByFour:
        return {4, 1, 16};
    case OneAndFive:
        return {3, 2, 6};
    case OneAndSeven:
        return {4, 3, 8};
    case OneAndTwelve:
        return {4, 2, 13};
    default:
        return {0, 1, 16};
    }
}

int GridLayout::TilesPerPage() const {
    return Shape().tiles;
}

QSize GridLayout::Cells(int count) const {
    const ShapeOf shape = Shape();
    if (shape.cells > 0)
        return QSize(shape.cells, shape.cells);
    if (count <= 0)
        return QSize(0, 0);
    const int columns = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(count))));
    return QSize(columns, (count + columns - 1) / columns);
}

std::vector<QRect> GridLayout::Places(int count, QSize page) const {
    const QSize cells = Cells(count);
    const int span = Shape().span;
    const auto place = [&](int column, int row, int columns, int rows) {
        const int left = page.width() * column / cells.width();
        const int top = page.height() * row / cells.height();
        return QRect(left, top, page.width() * (column + columns) / cells.width() - left,
                     page.height() * (row + rows) / cells.height() - top);
    };
    std::vector<QRect> places;
    if (span > 1 && count > 0)
        places.push_back(place(0, 0, span, span));
    // The small places fill the cells the big one leaves, row by row.
    for (int row = 0; row < cells.height(); ++row) {
        for (int column = 0; column < cells.width(); ++column) {
            if (static_cast<int>(places.size()) >= count)
                return places;
            if (span > 1 && row < span && column < span)
                continue;
            places.push_back(place(column, row, 1, 1));
        }
    }
    return places;
}

int NeighbourPlace(const std::vector<QRect>& places, int from, int dy) {
    if (from < 0 || from >= static_cast<int>(places.size()))
        return from;
    const QRect& start = places[from];
    int best = from;
    bool bestBeside = false;
    double bestDistance = std::numeric_limits<double>::max();
    for (int i = 0; i < static_cast<int>(places.size()); ++i) {
        const QRect& other = places[i];
        const bool ahead = dy < 0 ? other.bottom() < start.top() : other.top() > start.bottom();
        if (!ahead)
            continue;
        const bool beside = other.left() <= start.right() && other.right() >= start.left();
        const double distance =
            std::hypot(other.center().x() - start.center().x(), other.center().y() - start.center().y());
        if ((beside && !bestBeside) || (beside == bestBeside && distance < bestDistance)) {
            best = i;
            bestBeside = beside;
            bestDistance = distance;
        }
    }
    return best;
}
