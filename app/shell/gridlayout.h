#pragma once
// The ways the grid places the tiles of a page: the automatic near-square grid of up to 16
// tiles, the fixed grids 2x2, 3x3 and 4x4, and one big place beside small ones (1+5, 1+7, 1+12).
// Each layout is a grid of cells; a big place spans several. A grid's layout is kept in the
// settings by its name ("1+5").

#include <QRect>
#include <QSize>
#include <QString>

#include <vector>

class GridLayout {
  public:
    enum Kind { Automatic, TwoByTwo, ThreeByThree, FourByFour, OneAndFive, OneAndSeven, OneAndTwelve };
    static constexpr int kKinds = 7;

    explicit GridLayout(Kind kind = Automatic) : kind(kind) {}
    // The layout of that name; the automatic one for a name it does not know.
    static GridLayout Named(const QString& name);

    Kind Which() const { return kind; }
    QString Name() const;
    int TilesPerPage() const;
    bool HasBigPlace() const { return Shape().span > 1; }
    // The cells, columns by rows, for count tiles.
    QSize Cells(int count) const;
    // The places of count tiles on a page of that size, the big one first; edges computed from the
    // whole size, so that the tiles meet without gaps.
    std::vector<QRect> Places(int count, QSize page) const;

  private:
    struct ShapeOf {
        int cells; // columns and rows; 0: as many as the count needs
        int span;  // of the big place
        int tiles;
    };
    ShapeOf Shape() const;

    Kind kind;
};

// The place of places[from]'s nearest neighbour up (dy -1) or down (dy 1): the nearest of those
// beside it in that direction, else the nearest in that direction; from itself when none is.
int NeighbourPlace(const std::vector<QRect>& places, int from, int dy);
