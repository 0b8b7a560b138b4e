#include "edit/shapes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

std::int32_t Clamp(std::int64_t V, std::int64_t Low, std::int64_t High) {
    return std::int32_t(std::clamp(V, Low, std::max(Low, High)));
}

// The sign of D, a zero counted as forward.
std::int64_t Way(std::int64_t D) { return D < 0 ? -1 : 1; }

std::int32_t Toward(std::int32_t From, std::int64_t By) {
    return Clamp(From + By, INT32_MIN, INT32_MAX);
}

}  // namespace

void PlotMirrored(TPixelGrid& Grid, const TMirror& Mirror, std::int64_t X, std::int64_t Y,
                  std::uint16_t Value, TPixelDelta& Delta) {
    Delta.Set(Grid, X, Y, Value);
    if (X >= Mirror.Begin && X < Mirror.End)
        Delta.Set(Grid, std::int64_t(Mirror.Begin) + Mirror.End - 1 - X, Y, Value);
}

void DrawLine(TPixelGrid& Grid, const TMirror& Mirror, std::int32_t X0, std::int32_t Y0,
              std::int32_t X1, std::int32_t Y1, std::uint16_t Value, TPixelDelta& Delta) {
    WalkLine(Grid.Width, Grid.Height, X0, Y0, X1, Y1, [&](std::int64_t X, std::int64_t Y) {
        PlotMirrored(Grid, Mirror, X, Y, Value, Delta);
    });
}

void DrawRectangle(TPixelGrid& Grid, const TMirror& Mirror, std::int32_t X0, std::int32_t Y0,
                   std::int32_t X1, std::int32_t Y1, bool Filled, std::uint16_t Value,
                   TPixelDelta& Delta) {
    const TPixelRect all = Spanned(X0, Y0, X1, Y1), in = Within(all, Grid);
    for (std::int32_t y = in.Top; y < in.Bottom; ++y) {
        const bool edge = Filled || y == all.Top || y == all.Bottom - 1;
        if (edge) {
            for (std::int32_t x = in.Left; x < in.Right; ++x)
                PlotMirrored(Grid, Mirror, x, y, Value, Delta);
        } else {
            PlotMirrored(Grid, Mirror, all.Left, y, Value, Delta);
            PlotMirrored(Grid, Mirror, std::int64_t(all.Right) - 1, y, Value, Delta);
        }
    }
}

TPixelRect MirroredArea(TPixelRect Rect, const TMirror& Mirror) {
    const std::int32_t left = std::max(Rect.Left, Mirror.Begin),
                       right = std::min(Rect.Right, Mirror.End);
    if (left >= right || Rect.Empty()) return Rect;
    const std::int32_t sum = Mirror.Begin + Mirror.End;
    return Joined(Rect, {sum - right, Rect.Top, sum - left, Rect.Bottom});
}

std::pair<std::int32_t, std::int32_t> SnapLineEnd(std::int32_t X0, std::int32_t Y0, std::int32_t X1,
                                                  std::int32_t Y1) {
    const std::int64_t dx = std::int64_t(X1) - X0, dy = std::int64_t(Y1) - Y0;
    const std::int64_t ax = std::llabs(dx), ay = std::llabs(dy);
    // Within 22.5 degrees of an axis (tan = sqrt 2 - 1) the line lies along it.
    const double tan = std::sqrt(2.0) - 1;
    if (double(ay) <= double(ax) * tan) return {X1, Y0};
    if (double(ax) <= double(ay) * tan) return {X0, Y1};
    // The nearest point of the diagonal.
    const std::int64_t d = (ax + ay + 1) / 2;
    return {Toward(X0, Way(dx) * d), Toward(Y0, Way(dy) * d)};
}

std::pair<std::int32_t, std::int32_t> SquareEnd(std::int32_t X0, std::int32_t Y0, std::int32_t X1,
                                                std::int32_t Y1) {
    const std::int64_t dx = std::int64_t(X1) - X0, dy = std::int64_t(Y1) - Y0;
    const std::int64_t side = std::max(std::llabs(dx), std::llabs(dy));
    return {Toward(X0, Way(dx) * side), Toward(Y0, Way(dy) * side)};
}

TPixelRect Spanned(std::int32_t X0, std::int32_t Y0, std::int32_t X1, std::int32_t Y1) {
    return {std::min(X0, X1), std::min(Y0, Y1),
            Clamp(std::int64_t(std::max(X0, X1)) + 1, 0, INT32_MAX),
            Clamp(std::int64_t(std::max(Y0, Y1)) + 1, 0, INT32_MAX)};
}

TPixelRect Within(TPixelRect R, const TPixelGrid& Grid) {
    R.Left = std::clamp(R.Left, 0, Grid.Width), R.Right = std::clamp(R.Right, 0, Grid.Width);
    R.Top = std::clamp(R.Top, 0, Grid.Height), R.Bottom = std::clamp(R.Bottom, 0, Grid.Height);
    return R.Empty() ? TPixelRect{} : R;
}

TPixelRect Joined(TPixelRect A, TPixelRect B) {
    if (A.Empty()) return B;
    if (B.Empty()) return A;
    return {std::min(A.Left, B.Left), std::min(A.Top, B.Top), std::max(A.Right, B.Right),
            std::max(A.Bottom, B.Bottom)};
}

bool Inside(const TPixelRect& R, std::int64_t X, std::int64_t Y) {
    return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom;
}

TPixelBlock LiftBlock(const TPixelGrid& Grid, TPixelRect R) {
    TPixelBlock b;
    R = Within(R, Grid);
    b.Width = R.Right - R.Left, b.Height = R.Bottom - R.Top;
    b.Values.reserve(std::size_t(b.Width) * std::size_t(b.Height));
    for (std::int32_t y = R.Top; y < R.Bottom; ++y)
        for (std::int32_t x = R.Left; x < R.Right; ++x) b.Values.push_back(Grid.Get(x, y));
    return b;
}

void PutBlock(TPixelGrid& Grid, TPixelRect From, std::uint16_t Background, const TPixelBlock& Block,
              std::int64_t X, std::int64_t Y, TPixelDelta& Delta) {
    From = Within(From, Grid);
    const auto covered = [&](std::int64_t x, std::int64_t y) {
        return x >= X && x < X + Block.Width && y >= Y && y < Y + Block.Height;
    };
    for (std::int32_t y = From.Top; y < From.Bottom; ++y)
        for (std::int32_t x = From.Left; x < From.Right; ++x)
            if (!covered(x, y)) Delta.Set(Grid, x, y, Background);
    // Only the block's rows and columns that land on the grid.
    const std::int64_t top = std::max<std::int64_t>(0, -Y), left = std::max<std::int64_t>(0, -X);
    const std::int64_t bottom = std::min<std::int64_t>(Block.Height, Grid.Height - Y);
    const std::int64_t right = std::min<std::int64_t>(Block.Width, Grid.Width - X);
    for (std::int64_t j = top; j < bottom && left < right; ++j)
        Delta.SetRow(
            Grid, std::int32_t(X + left), std::int32_t(Y + j),
            Block.Values.data() + std::size_t(j) * std::size_t(Block.Width) + std::size_t(left),
            std::int32_t(right - left));
}
