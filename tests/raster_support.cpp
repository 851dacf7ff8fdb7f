#include "raster_support.h"

#include "core/tables.h"

#include <algorithm>
#include <cstring>
#include <utility>

Canvas::Canvas() : screen(std::make_unique<Screen>()), pixels(76800)
{
    *screen = Screen{};
    screen->pixels = pixels.data();
    screen->pixelCount = 76800;
    screen->width = 320;
    screen->height = 240;
}

void Canvas::fill(uint8_t colour, int32_t depth)
{
    std::fill(pixels.begin(), pixels.end(), colour);
    std::fill(screen->depth, screen->depth + 76800, depth);
}

Texture::Texture(uint8_t (*texel)(int)) : pixels(65537, 0)
{
    for (int i = 0; i < 65536; ++i)
        pixels[i] = texel(i);
    picture.pixels = pixels.data();
    picture.pixelCount = 65536;
    picture.width = 256;
    picture.height = 256;
    picture.limit = 255;
}

TestMesh::TestMesh(Canvas& canvas, Picture& texture, const std::vector<TestCorner>& corners)
{
    const int32_t count = int32_t(corners.size());
    for (int32_t i = 0; i < count; ++i) {
        faces.push_back(i);
        texFaces.push_back(i);
        texCoords.push_back(corners[i].u);
        texCoords.push_back(corners[i].v);
        screenX.push_back(corners[i].x);
        screenY.push_back(corners[i].y);
        depth.push_back(corners[i].z);
    }
    faceArea.assign(count / 3 + 1, 0x5A5A5A5A);
    mesh.texture = &texture;
    mesh.screen = canvas.screen.get();
    mesh.visible = 1;
    mesh.edgeSlopeLimit = 1;
    mesh.angleX = 150;
    mesh.transparentColour = -1;
    mesh.centreX = 40960;
    mesh.centreY = 30720;
    mesh.cameraDepth = -43520;
    mesh.faces = faces.data();
    mesh.texFaces = texFaces.data();
    mesh.texCoords = texCoords.data();
    mesh.faceArea = faceArea.data();
    mesh.screenX = screenX.data();
    mesh.screenY = screenY.data();
    mesh.vertexDepth = depth.data();
    mesh.vertexCount = count;
    mesh.faceCount = count / 3;
    mesh.texCoordCount = count;
    mesh.clipRight = 320;
    mesh.clipBottom = 240;
    mesh.clipRightFixed = 81920;
    mesh.clipBottomFixed = 61440;
    mesh.lastFace = -1;
}

namespace {

struct C {
    int32_t x, y, z, u, v;
};

int32_t shl8(int32_t v)
{
    return int32_t(uint32_t(v) << 8);
}

// Face set-up, rules 1 to 6; false when the face is not drawn.
bool setUp(Mesh& m, int32_t f, C& t, C& mid, C& b)
{
    C c[3];
    for (int i = 0; i < 3; ++i) {
        const int32_t vertex = m.faces[3 * f + i];
        const int32_t tv = m.texFaces[3 * f + i];
        c[i] = {m.screenX[vertex], m.screenY[vertex], m.vertexDepth[vertex], m.texCoords[2 * tv],
                m.texCoords[2 * tv + 1]};
    }
    bool rejected = false;
    for (const C& k : c)
        if (k.z <= -43520)
            rejected = true;
    if (c[0].x <= 0 && c[1].x <= 0 && c[2].x <= 0)
        rejected = true;
    if (c[0].x > 81920 && c[1].x > 81920 && c[2].x > 81920)
        rejected = true;
    const int32_t area = (((c[1].x - c[0].x) * (c[2].y - c[0].y)) >> 8) -
                         (((c[1].y - c[0].y) * (c[2].x - c[0].x)) >> 8);
    m.faceArea[f] = area;
    if (area <= 0 || rejected)
        return false;
    m.lastFace = int16_t(f);
    if (m.shaded == 1)
        m.shadeOffset = 110 - (area >> 8);
    std::stable_sort(c, c + 3, [](const C& p, const C& q) { return p.y < q.y; });
    t = c[0];
    mid = c[1];
    b = c[2];
    return true;
}

struct W {
    int32_t x, z, u, v;
};

W gradient(const C& a, const C& b)
{
    const int32_t dy = b.y - a.y;
    if (dy <= 0)
        return {0, 0, 0, 0};
    return {shl8(b.x - a.x) / dy, shl8(b.z - a.z) / dy, shl8(b.u - a.u) / dy,
            shl8(b.v - a.v) / dy};
}

void add(W& w, const W& g)
{
    w.x += g.x;
    w.z += g.z;
    w.u += g.u;
    w.v += g.v;
}

void row(Mesh& m, int32_t y, const W& p, const W& q)
{
    if (!(m.clipTopFixed <= y && y < m.clipBottomFixed))
        return;
    if ((p.x & q.x) < 0 || (p.x > 81664 && q.x > 81664))
        return;
    const W& l = p.x <= q.x ? p : q;
    const W& r = p.x <= q.x ? q : p;
    const int32_t w = r.x - l.x;
    int32_t du = 0, dv = 0, dz = 0;
    if (w > 0) {
        du = shl8(r.u - l.u) / w;
        dv = shl8(r.v - l.v) / w;
        dz = shl8(r.z - l.z) / w;
    }
    int32_t p0 = RowOffsets[y >> 8] + (l.x >> 8);
    int32_t x = l.x, u = l.u, v = l.v, z = l.z;
    Screen& s = *m.screen;
    while (x < r.x) {
        if (m.clipLeftFixed < x && x < m.clipRightFixed) {
            int32_t texel = m.texture->pixels[((u >> 8) - (v & 0xFF00)) & 0xFFFF];
            if (z < s.depth[p0] && texel != m.transparentColour) {
                s.depth[p0] = z;
                if (m.shaded == 1 && m.shadeOffset > 0)
                    texel = std::max(texel - m.shadeOffset, 0);
                s.pixels[p0] = uint8_t(texel);
            }
        }
        x += 256;
        u += du;
        v += dv;
        z += dz;
        p0 += 1;
    }
}

int32_t slope(const C& a, const C& b)
{
    const int32_t dy = b.y - a.y;
    return dy == 0 ? 0 : shl8(b.x - a.x) / dy;
}

void fill(Mesh& m, int32_t y, int32_t xa, int32_t xb, int32_t colour)
{
    if (!(m.clipTopFixed <= y && y < m.clipBottomFixed))
        return;
    const int32_t r = y >> 8;
    if (!(m.clipTop <= r && r <= m.clipBottom))
        return;
    const int32_t left = std::max(std::min(xa, xb) >> 8, m.clipLeft);
    const int32_t right = std::min(std::max(xa, xb) >> 8, m.clipRight - 1);
    if (left > right)
        return;
    int32_t k = colour & 255;
    if (m.shaded == 1 && m.shadeOffset > 0) {
        k = k - m.shadeOffset;
        k = k < 0 ? 0 : std::min(k, 127);
    }
    for (int32_t x = left; x <= right; ++x)
        m.screen->pixels[RowOffsets[r] + x] = uint8_t(k);
}

}  // namespace

void plainDrawMesh(Mesh& m)
{
    if (m.visible == 0)
        return;
    for (int32_t f = 0; f < m.faceCount; ++f) {
        C t, mid, b;
        if (!setUp(m, f, t, mid, b))
            continue;
        W gTM = gradient(t, mid), gTB = gradient(t, b), gMB = gradient(mid, b);
        if (m.edgeSlopeLimit == 1) {
            if (gTB.x > 1000)
                gTB.x = 100;
            if (gTB.x < -1000)
                gTB.x = -100;
        }
        W longW{t.x, t.z, t.u, t.v}, shortW{t.x, t.z, t.u, t.v};
        int32_t y = t.y;
        while (y < mid.y) {
            row(m, y, longW, shortW);
            y += 256;
            add(longW, gTB);
            add(shortW, gTM);
        }
        shortW = {mid.x, mid.z, mid.u, mid.v};
        if (!(gTM.x > gTB.x))
            y = mid.y;
        while (y < b.y) {
            row(m, y, longW, shortW);
            y += 256;
            add(longW, gTB);
            add(shortW, gMB);
        }
    }
}

void plainDrawMeshFlat(Mesh& m, int32_t colour)
{
    if (m.visible == 0)
        return;
    for (int32_t f = 0; f < m.faceCount; ++f) {
        C t, mid, b;
        if (!setUp(m, f, t, mid, b))
            continue;
        const int32_t sTM = slope(t, mid), sMB = slope(mid, b), sTB = slope(t, b);
        for (int32_t y = t.y; y <= mid.y; y += 256)
            fill(m, y, t.x + (((y - t.y) * sTB) >> 8), t.x + (((y - t.y) * sTM) >> 8), colour);
        for (int32_t y = mid.y; y <= b.y; y += 256)
            fill(m, y, t.x + (((y - t.y) * sTB) >> 8), mid.x + (((y - mid.y) * sMB) >> 8),
                 colour);
    }
}
