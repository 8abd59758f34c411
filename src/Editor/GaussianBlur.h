#pragma once
// A Gaussian blur of a picture whose edge pixels are taken to go on forever.
// Small sigmas use the sampled kernel; larger ones a chain of box passes of
// exactly the same variance, whose cost does not grow with sigma; large ones
// blur a picture shrunk by 2 or 4 and enlarge the result, with the shrinking
// and the interpolation counted into the variance.
#include <QImage>
#include <QRect>
#include <memory>
#include <vector>

class GaussianBlur {
public:
    explicit GaussianBlur(double sigma);

    // How far outside a pixel its blurred value reads.
    int reach() const { return m_reach; }

    // `area` (inside the picture) of the blurred picture. `source` is
    // premultiplied ARGB32 or RGB32. A part comes out exactly as it does
    // inside the whole: fixed-point integer sums do not depend on where a
    // line starts.
    QImage apply(const QImage& source, const QRect& area) const;

    struct BoxPass {
        int radius = 0;
        float full = 1;    // weight of the 2r + 1 inner taps
        float partial = 0; // weight of the tap on either side beyond them
    };

private:
    GaussianBlur(double sigma, bool mayShrink);
    void band(const QImage& source, const QRect& area, int y0, int y1, QImage& out) const;
    QImage applyShrunk(const QImage& source, const QRect& area) const;

    std::vector<float> m_kernel; // sampled kernel, empty when boxes are used
    std::vector<BoxPass> m_boxes;
    int m_reach = 0;  // of the whole filter
    int m_margin = 0; // of one pass
    int m_factor = 1; // how much the picture is shrunk first
    std::shared_ptr<const GaussianBlur> m_shrunk; // the blur of the shrunk picture
};
