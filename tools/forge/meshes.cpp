// The show's meshes, written as scene-export text (.ob) that a general 3D
// importer also opens (with an .ase name).
//
// How the show looks at a mesh decides how each one is wound and mapped:
// - A face is drawn when its corners run clockwise on the screen (y down).
//   With the show's projection that holds exactly when the corners run
//   counter-clockwise seen from outside, i.e. when (B - A) x (C - A) points
//   out of the solid towards the eye. Every builder below winds its faces
//   that way.
// - At angle index 0 the projection shows screen x = -X, screen y = -Z, so a
//   side face (outward normal n, up +Z) has its screen right along n x Z:
//   the picture on it is seen mirrored unless its columns run against the
//   face's own s axis (see BoxSide).
// - Texture positions are kept in texels of the 256x256 texture (column from
//   the left, row from the top) and written as u = column / 256,
//   v = 1 - row / 256, since the texture's v axis runs upwards. Columns and
//   rows stay within 0..255.
#include "forge.h"
#include "output_file.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <numbers>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

constexpr double Pi = std::numbers::pi;

struct Vec3 {
    double x, y, z;
};

Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(double k, Vec3 a) { return {k * a.x, k * a.y, k * a.z}; }
double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double length(Vec3 a) { return std::sqrt(dot(a, a)); }
Vec3 normalised(Vec3 a) { return (1.0 / length(a)) * a; }

// Any unit vector at right angles to the unit vector d.
Vec3 perpendicularTo(Vec3 d)
{
    const Vec3 helper = std::abs(d.x) < 0.9 ? Vec3{1, 0, 0} : Vec3{0, 1, 0};
    return normalised(cross(d, helper));
}

struct Texel {
    int column, row;
};

// A mesh as the forge builds it: positions in model units, texture
// positions in texels, faces wound as described at the top of the file.
struct ForgeMesh {
    std::vector<Vec3> vertices;
    std::vector<std::array<int, 3>> faces;
    std::vector<Texel> texels;
    std::vector<std::array<int, 3>> texFaces;
    std::map<std::pair<int, int>, int> texelByPosition;  // faces share equal texels
};

int addVertex(ForgeMesh& mesh, Vec3 position)
{
    mesh.vertices.push_back(position);
    return static_cast<int>(mesh.vertices.size()) - 1;
}

// Rounded to whole texels (the written u, v are then exact binary fractions)
// and clamped to the texture, so an interpolated coordinate never carries
// into a neighbouring row.
int addTexel(ForgeMesh& mesh, double column, double row)
{
    const auto clampTexel = [](double t) { return static_cast<int>(std::lround(std::fmin(std::fmax(t, 0.0), 255.0))); };
    const Texel texel{clampTexel(column), clampTexel(row)};
    const int next = static_cast<int>(mesh.texels.size());
    const auto [found, added] = mesh.texelByPosition.try_emplace({texel.column, texel.row}, next);
    if (added)
        mesh.texels.push_back(texel);
    return found->second;
}

void addFace(ForgeMesh& mesh, std::array<int, 3> corners, std::array<int, 3> texels)
{
    mesh.faces.push_back(corners);
    mesh.texFaces.push_back(texels);
}

// A quad whose corners run counter-clockwise seen from outside, as two faces
// split along the diagonal 0-2 (or 1-3 when splitOneThree).
void addQuad(ForgeMesh& mesh, std::array<int, 4> q, std::array<int, 4> t, bool splitOneThree = false)
{
    if (splitOneThree) {
        addFace(mesh, {q[0], q[1], q[3]}, {t[0], t[1], t[3]});
        addFace(mesh, {q[1], q[2], q[3]}, {t[1], t[2], t[3]});
    } else {
        addFace(mesh, {q[0], q[1], q[2]}, {t[0], t[1], t[2]});
        addFace(mesh, {q[0], q[2], q[3]}, {t[0], t[2], t[3]});
    }
}

// The file format wants exactly the texture-vertex count the show passes;
// meshes that need fewer repeat their own texels, which stay unused.
void padTexels(ForgeMesh& mesh, size_t count)
{
    for (size_t i = 0; mesh.texels.size() < count; ++i)
        mesh.texels.push_back(mesh.texels[i]);
}

// A rectangle of the texture in texels; s and t run 0..1 across it.
struct TexRect {
    double column, row, width, height;
};

int addTexelIn(ForgeMesh& mesh, TexRect rect, double s, double t)
{
    return addTexel(mesh, rect.column + s * rect.width, rect.row + t * rect.height);
}

// ---------------------------------------------------------------- tubes

// One cross-section of a tube: side j of n lies at
// centre + cos(2 pi j / n) * across + sin(2 pi j / n) * up. With the tube
// running along T, (T, across, up) must be right-handed for the faces to
// point outwards.
struct TubeRing {
    Vec3 centre, across, up;
};

// Joins consecutive rings (and the last to the first when closed) with
// quads. The texture runs along the tube in columns and around it in rows;
// `repeats` wraps the columns that many times along a closed tube.
void addTube(ForgeMesh& mesh, const std::vector<TubeRing>& rings, int sides, bool closed, TexRect rect, int repeats = 1)
{
    const int ringCount = static_cast<int>(rings.size());
    const int first = static_cast<int>(mesh.vertices.size());
    for (const TubeRing& ring : rings)
        for (int j = 0; j < sides; ++j) {
            const double phi = 2 * Pi * j / sides;
            addVertex(mesh, ring.centre + std::cos(phi) * ring.across + std::sin(phi) * ring.up);
        }
    const int segments = closed ? ringCount : ringCount - 1;
    const int perRepeat = segments / repeats;
    for (int i = 0; i < segments; ++i) {
        // Each segment takes its own texels, so a repeat can end at the
        // right edge while the next starts at the left.
        const double s0 = double(i % perRepeat) / perRepeat, s1 = double(i % perRepeat + 1) / perRepeat;
        const int i1 = (i + 1) % ringCount;
        for (int j = 0; j < sides; ++j) {
            const int j1 = (j + 1) % sides;
            const double t0 = double(j) / sides, t1 = double(j + 1) / sides;
            const int here = first + i * sides, there = first + i1 * sides;
            addQuad(mesh, {here + j, here + j1, there + j1, there + j},
                    {addTexelIn(mesh, rect, s0, t0), addTexelIn(mesh, rect, s0, t1), addTexelIn(mesh, rect, s1, t1),
                     addTexelIn(mesh, rect, s1, t0)});
        }
    }
}

// ---------------------------------------------------------------- grids

// One side of a box or a lone plane: a grid of ns x nt quads spanning
// origin + s * sAxis + t * tAxis (s, t in 0..1), facing along sAxis x tAxis.
// Seen from outside with tAxis up, the screen's right runs along -sAxis, so
// a picture that should read normally takes its columns against s; a
// picture stored mirrored (the greetings' stamped letters) takes them along s.
struct BoxSide {
    Vec3 origin, sAxis, tAxis;
    int ns, nt;
    TexRect rect;
    bool storedMirrored;
};

// Vertices shared between the sides of one box, found by position.
struct VertexIndex {
    std::map<std::tuple<long, long, long>, int> byPosition;
};

int sharedVertex(ForgeMesh& mesh, VertexIndex& index, Vec3 p)
{
    const auto key = std::make_tuple(std::lround(p.x * 64), std::lround(p.y * 64), std::lround(p.z * 64));
    const auto found = index.byPosition.find(key);
    if (found != index.byPosition.end())
        return found->second;
    const int i = addVertex(mesh, p);
    index.byPosition[key] = i;
    return i;
}

void addBoxSide(ForgeMesh& mesh, VertexIndex& index, const BoxSide& side)
{
    std::vector<int> corner((side.ns + 1) * (side.nt + 1)), texel(corner.size());
    for (int b = 0; b <= side.nt; ++b)
        for (int a = 0; a <= side.ns; ++a) {
            const double s = double(a) / side.ns, t = double(b) / side.nt;
            const int k = b * (side.ns + 1) + a;
            corner[k] = sharedVertex(mesh, index, side.origin + s * side.sAxis + t * side.tAxis);
            texel[k] = addTexelIn(mesh, side.rect, side.storedMirrored ? s : 1 - s, 1 - t);
        }
    for (int b = 0; b < side.nt; ++b)
        for (int a = 0; a < side.ns; ++a) {
            const int k = b * (side.ns + 1) + a;
            const std::array<int, 4> q = {k, k + 1, k + side.ns + 2, k + side.ns + 1};
            addQuad(mesh, {corner[q[0]], corner[q[1]], corner[q[2]], corner[q[3]]},
                    {texel[q[0]], texel[q[1]], texel[q[2]], texel[q[3]]});
        }
}

// The six sides of a box centred on the origin with half sizes h, split
// into n cuts along each axis; sides in the order front (-Y), +X, back (+Y),
// -X, top (+Z), bottom (-Z), each with its own texture rectangle.
ForgeMesh buildBox(Vec3 h, std::array<int, 3> n, const std::array<TexRect, 6>& rects, bool sidesStoredMirrored)
{
    const Vec3 X{2 * h.x, 0, 0}, Y{0, 2 * h.y, 0}, Z{0, 0, 2 * h.z};
    const Vec3 low{-h.x, -h.y, -h.z};
    const std::array<BoxSide, 6> sides = {{
        {low, X, Z, n[0], n[2], rects[0], sidesStoredMirrored},
        {low + X, Y, Z, n[1], n[2], rects[1], sidesStoredMirrored},
        {low + X + Y, -1 * X, Z, n[0], n[2], rects[2], sidesStoredMirrored},
        {low + Y, -1 * Y, Z, n[1], n[2], rects[3], sidesStoredMirrored},
        {low + Z, X, Y, n[0], n[1], rects[4], false},
        {low + Y, X, -1 * Y, n[0], n[1], rects[5], false},
    }};
    ForgeMesh mesh;
    VertexIndex index;
    for (const BoxSide& side : sides)
        addBoxSide(mesh, index, side);
    return mesh;
}

// ---------------------------------------------------------------- knot

// A (2,3) torus knot: twice round the axis while winding three times
// through the hole, lying across the X-Z plane so that it faces the eye at
// the start of its scene. Its reach of about 63 units keeps every part
// nearer than the scene's depth clear (120 units behind the centre) and
// well away from the eye (120 units before it), and lets it fill about
// half the screen's height.
constexpr double KnotMajor = 33.6;
constexpr double KnotMinor = 16.8;
// Corner radius of the triangular section: the centre line's strands pass at
// least 27.8 apart, so the tube never cuts through itself.
constexpr double KnotTube = 10.8;
constexpr int KnotSegments = 24;
constexpr int KnotSides = 3;

Vec3 knotCentre(double a)
{
    const double r = KnotMajor + KnotMinor * std::cos(3 * a);
    return {r * std::cos(2 * a), -KnotMinor * std::sin(3 * a), r * std::sin(2 * a)};
}

// Frames carried along a closed centre line with as little twist as
// possible: each normal is the previous one with its component along the
// new tangent removed. What twist is left when the loop closes is spread
// evenly over the segments so the last ring meets the first.
std::vector<TubeRing> transportedRings(const std::vector<Vec3>& centres, double radius)
{
    const int n = static_cast<int>(centres.size());
    std::vector<Vec3> tangent(n), normal(n + 1);
    for (int i = 0; i < n; ++i)
        tangent[i] = normalised(centres[(i + 1) % n] - centres[(i + n - 1) % n]);
    normal[0] = perpendicularTo(tangent[0]);
    for (int i = 1; i <= n; ++i) {
        const Vec3 t = tangent[i % n];
        normal[i] = normalised(normal[i - 1] - dot(normal[i - 1], t) * t);
    }
    const double twist = std::atan2(dot(cross(normal[0], normal[n]), tangent[0]), dot(normal[0], normal[n]));
    std::vector<TubeRing> rings(n);
    for (int i = 0; i < n; ++i) {
        const double undo = -twist * i / n;
        const Vec3 t = tangent[i];
        const Vec3 b = cross(t, normal[i]);
        const Vec3 across = std::cos(undo) * normal[i] + std::sin(undo) * b;
        rings[i] = {centres[i], radius * across, radius * cross(t, across)};
    }
    return rings;
}

ForgeMesh buildKnot()
{
    std::vector<Vec3> centres(KnotSegments);
    for (int i = 0; i < KnotSegments; ++i)
        centres[i] = knotCentre(2 * Pi * i / KnotSegments);
    ForgeMesh mesh;
    // The rope texture tiles, so it repeats four times along the knot.
    addTube(mesh, transportedRings(centres, KnotTube), KnotSides, true, {0, 0, 255, 255}, 4);
    return mesh;
}

// ---------------------------------------------------------------- star

// A five-pointed star bent from one tube with mitred corners, lying across
// the X-Z plane with a point upwards.
constexpr int StarPoints = 5;
constexpr double StarTip = 46.0;
constexpr double StarValley = 25.0;
constexpr double StarThickAcross = 6.5;  // half width of the section in the star's plane
constexpr double StarThickUp = 5.0;      // half depth of the section out of the plane
constexpr int StarSides = 8;

// Outline: tip, edge middle, valley, edge middle, ... (4 per point), so each
// straight edge is two segments.
std::vector<Vec3> starOutline()
{
    std::vector<Vec3> corners;
    for (int k = 0; k < 2 * StarPoints; ++k) {
        const double angle = Pi / 2 + Pi * k / StarPoints;
        const double r = k % 2 == 0 ? StarTip : StarValley;
        corners.push_back({r * std::cos(angle), 0, r * std::sin(angle)});
    }
    std::vector<Vec3> outline;
    for (size_t k = 0; k < corners.size(); ++k) {
        outline.push_back(corners[k]);
        outline.push_back(0.5 * (corners[k] + corners[(k + 1) % corners.size()]));
    }
    return outline;
}

// Sections at the corners are stretched along the bisector (a mitre) so the
// tube keeps its width through the sharp turns.
std::vector<TubeRing> starRings()
{
    const std::vector<Vec3> outline = starOutline();
    const int n = static_cast<int>(outline.size());
    const Vec3 planeNormal{0, 1, 0};
    // Outward side of each edge: the star's centre lies inside every edge.
    std::vector<Vec3> edgeNormal(n);
    for (int k = 0; k < n; ++k) {
        const Vec3 edge = normalised(outline[(k + 1) % n] - outline[k]);
        Vec3 side = cross(edge, planeNormal);
        if (dot(side, outline[k] + outline[(k + 1) % n]) < 0)
            side = -1 * side;
        edgeNormal[k] = side;
    }
    std::vector<TubeRing> rings(n);
    for (int k = 0; k < n; ++k) {
        const Vec3 before = edgeNormal[(k + n - 1) % n], after = edgeNormal[k];
        const Vec3 mitre = normalised(before + after);
        const Vec3 tangent = normalised(outline[(k + 1) % n] - outline[(k + n - 1) % n]);
        const Vec3 across = (StarThickAcross / dot(mitre, before)) * mitre;
        rings[k] = {outline[k], across, StarThickUp * normalised(cross(tangent, mitre))};
    }
    return rings;
}

ForgeMesh buildStar()
{
    ForgeMesh mesh;
    addTube(mesh, starRings(), StarSides, true, {0, 0, 255, 255}, 1);
    return mesh;
}

// ---------------------------------------------------------------- spider

// The spider hangs head up (+Y) with its back to +Z, where the eye is at its
// scene's starting angle, and turns about Y. The body is one lathe along Y:
// abdomen, waist, cephalothorax; eight legs grow out of the cephalothorax's
// sides as three-jointed tubes of triangular section (each leg replaces one
// body face by the walls and tip of its tube, so the surface stays closed).
struct BodyRing {
    double y, radiusX, radiusZ, centreZ, textureRow;
};

// Tail to head. Rows of the spider texture: the abdomen takes most of the
// body half (rows 0..127) so the marking on its back lands on the abdomen.
constexpr BodyRing SpiderBody[] = {
    {-29.0, 3.5, 3.0, 1.0, 125},  {-26.0, 7.5, 6.5, 2.0, 118}, {-21.0, 10.0, 8.5, 2.5, 104},
    {-15.0, 10.0, 8.5, 2.5, 80},  {-9.5, 8.0, 7.0, 2.0, 50},   {-5.5, 5.5, 4.5, 1.0, 28},
    {-2.5, 6.0, 4.0, 0.5, 22},    {1.0, 6.5, 4.0, 0.5, 16},    {4.5, 6.5, 4.0, 0.5, 10},
    {8.0, 5.0, 3.5, 0.5, 5},      {10.5, 3.0, 2.5, 0.5, 2},
};
// The whole spider is built in the units above and then enlarged, so it
// spans about 55 x 70 pixels at its scene's distance instead of 40 x 50.
constexpr double SpiderScale = 1.35;
constexpr int SpiderRings = 11;
constexpr int SpiderAround = 6;
constexpr Vec3 SpiderTail{0, -31.0, 1.0};
constexpr Vec3 SpiderHead{0, 12.5, 0.5};
constexpr double SpiderTailRow = 127, SpiderHeadRow = 0;
constexpr TexRect SpiderLegTexture{0, 128, 255, 127};  // along the leg in rows: the bands cross it

// Around the body, side j sits at 90 + 60 j degrees: j = 0 is the belly
// (-Z), j = 3 the spine (+Z, texture column 128), and the quads between
// j = 4 and 5 (+X) and between 1 and 2 (-X) face straight sideways; they
// carry the legs.
double spiderAroundAngle(int j) { return Pi / 2 + 2 * Pi * j / SpiderAround; }

int spiderVertex(int ring, int j) { return ring * SpiderAround + j % SpiderAround; }

struct Leg {
    double spread;       // degrees from the side towards the head
    double lift[3];      // knee, ankle and foot height towards the back (+Z)
    double reach[3];     // knee, ankle and foot distance from the hip
    double radius[3];    // corner radius of the section at each joint
};

// Rear to front pair, on the rings 6..9 bands. The spider is seen at about
// one pixel a unit, so the legs stay two to five units thick to the foot:
// thinner triangles drop rows in the rasteriser and the legs break up.
constexpr Leg SpiderLegs[4] = {
    {-58, {7, 2, -6}, {9, 16, 21}, {2.8, 2.3, 1.7}},
    {-22, {8, 2, -6}, {10, 18, 23}, {2.8, 2.3, 1.7}},
    {14, {8, 2, -6}, {10, 18, 23}, {2.8, 2.3, 1.7}},
    {48, {7, 2, -6}, {9, 17, 22}, {2.8, 2.3, 1.7}},
};

void addSpiderBody(ForgeMesh& mesh)
{
    for (const BodyRing& ring : SpiderBody)
        for (int j = 0; j < SpiderAround; ++j) {
            const double a = spiderAroundAngle(j);
            // (Y, X, -Z) is right-handed, so the quads below face outwards.
            addVertex(mesh, {ring.radiusX * std::cos(a), ring.y, ring.centreZ - ring.radiusZ * std::sin(a)});
        }
    const int tail = addVertex(mesh, SpiderTail), head = addVertex(mesh, SpiderHead);
    const auto texel = [&mesh](int j, double row) { return addTexel(mesh, 255.0 * j / SpiderAround, row); };
    for (int k = 0; k + 1 < SpiderRings; ++k)
        for (int j = 0; j < SpiderAround; ++j) {
            // Quads on the -X half split along the other diagonal, so the
            // two sides mirror each other and the hips are alike.
            const bool minusX = std::cos(spiderAroundAngle(j) + Pi / SpiderAround) < 0;
            const double r0 = SpiderBody[k].textureRow, r1 = SpiderBody[k + 1].textureRow;
            addQuad(mesh,
                    {spiderVertex(k, j), spiderVertex(k, j + 1), spiderVertex(k + 1, j + 1), spiderVertex(k + 1, j)},
                    {texel(j, r0), texel(j + 1, r0), texel(j + 1, r1), texel(j, r1)}, minusX);
        }
    for (int j = 0; j < SpiderAround; ++j) {
        const double mid = j + 0.5;
        addFace(mesh, {tail, spiderVertex(0, j + 1), spiderVertex(0, j)},
                {addTexel(mesh, 255.0 * mid / SpiderAround, SpiderTailRow), texel(j + 1, SpiderBody[0].textureRow),
                 texel(j, SpiderBody[0].textureRow)});
        const int last = SpiderRings - 1;
        addFace(mesh, {head, spiderVertex(last, j), spiderVertex(last, j + 1)},
                {addTexel(mesh, 255.0 * mid / SpiderAround, SpiderHeadRow), texel(j, SpiderBody[last].textureRow),
                 texel(j + 1, SpiderBody[last].textureRow)});
    }
}

// The body face a leg grows from: on band k (rings k, k+1) the face of the
// sideways quad that holds the quad's ring-k edge, mirrored on the -X side.
std::array<int, 3> hipCorners(int band, bool plusX)
{
    if (plusX)
        return {spiderVertex(band, 4), spiderVertex(band, 5), spiderVertex(band + 1, 5)};
    return {spiderVertex(band, 1), spiderVertex(band, 2), spiderVertex(band + 1, 1)};
}

size_t findFace(const ForgeMesh& mesh, std::array<int, 3> corners)
{
    for (size_t f = 0; f < mesh.faces.size(); ++f)
        for (int r = 0; r < 3; ++r)
            if (mesh.faces[f] == std::array<int, 3>{corners[r], corners[(r + 1) % 3], corners[(r + 2) % 3]})
                return f;
    std::fprintf(stderr, "forge: spider hip face missing\n");
    std::exit(1);
}

// Grows one leg from the hip face: each joint gets a ring of three corners
// at the angles the previous ring's corners had around the new segment, so
// the walls never twist; the walls keep the hip face's winding, so they face
// outwards, and the last ring closes as the foot.
void addSpiderLeg(ForgeMesh& mesh, std::array<int, 3> hip, const Leg& leg, bool plusX)
{
    std::array<int, 3> ring = hip;
    Vec3 previous = (1.0 / 3) * (mesh.vertices[hip[0]] + mesh.vertices[hip[1]] + mesh.vertices[hip[2]]);
    const Vec3 start = previous;
    const double spread = leg.spread * Pi / 180;
    const Vec3 out{plusX ? std::cos(spread) : -std::cos(spread), std::sin(spread), 0};
    const auto texel = [&mesh](int joint, int k) {
        return addTexelIn(mesh, SpiderLegTexture, k / 3.0, joint / 3.0);
    };
    for (int joint = 0; joint < 3; ++joint) {
        const Vec3 centre = start + leg.reach[joint] * out + Vec3{0, 0, leg.lift[joint]};
        const Vec3 along = normalised(centre - previous);
        const Vec3 u = perpendicularTo(along), w = cross(along, u);
        std::array<int, 3> next;
        for (int k = 0; k < 3; ++k) {
            const Vec3 d = mesh.vertices[ring[k]] - previous;
            const double angle = std::atan2(dot(d, w), dot(d, u));
            next[k] = addVertex(mesh, centre + leg.radius[joint] * (std::cos(angle) * u + std::sin(angle) * w));
        }
        for (int k = 0; k < 3; ++k) {
            const int k1 = (k + 1) % 3;
            addQuad(mesh, {ring[k], ring[k1], next[k1], next[k]},
                    {texel(joint, k), texel(joint, k + 1), texel(joint + 1, k + 1), texel(joint + 1, k)});
        }
        ring = next;
        previous = centre;
    }
    addFace(mesh, ring, {texel(3, 0), texel(3, 1), texel(3, 2)});
}

ForgeMesh buildSpider()
{
    ForgeMesh mesh;
    addSpiderBody(mesh);
    std::vector<std::array<int, 3>> hips;
    for (int band = 6; band < SpiderRings - 1; ++band)
        for (bool plusX : {true, false})
            hips.push_back(hipCorners(band, plusX));
    // Remove the hip faces first (highest index first keeps the others in place).
    std::vector<size_t> hipFaces;
    for (const auto& hip : hips)
        hipFaces.push_back(findFace(mesh, hip));
    std::sort(hipFaces.rbegin(), hipFaces.rend());
    for (size_t f : hipFaces) {
        mesh.faces.erase(mesh.faces.begin() + static_cast<long>(f));
        mesh.texFaces.erase(mesh.texFaces.begin() + static_cast<long>(f));
    }
    for (size_t i = 0; i < hips.size(); ++i)
        addSpiderLeg(mesh, hips[i], SpiderLegs[i / 2], i % 2 == 0);
    for (Vec3& v : mesh.vertices)
        v = SpiderScale * v;
    return mesh;
}

// ---------------------------------------------------------------- calendar

// A block calendar standing upright (Z up), the month page on its front
// (-Y), which faces the eye at the first pre-rendered view. The page
// texture fills the whole square; the back shows the page too, the edges
// take the blank paper margin left of the day grid, the top the binder strip.
ForgeMesh buildCalendar()
{
    constexpr TexRect Page{0, 0, 255, 255}, PaperEdge{1, 84, 6, 168}, Binder{0, 1, 255, 12};
    return buildBox({9.5, 1.75, 7.5}, {4, 1, 2}, {Page, PaperEdge, Page, PaperEdge, Binder, PaperEdge}, false);
}

// ---------------------------------------------------------------- cube

// The greetings' letter cube. It turns about its upright axis, so any two
// neighbouring sides face the eye together: only the front and the back
// show a letter block (two of the four the letter is stamped into), and
// the sides between them are plain stone, so a name reads once per cube
// rather than each letter twice. The stamp mirrors the letter, so the
// lettered sides take the picture as stored mirrored. Top and bottom show
// plain stone right of the blocks.
// The letters follow each other 22 units apart along the column, so a cube
// of 20 leaves a gap of two at the column's usual tilt. Each lettered side
// shows its block with only a two-texel rim of the tablet around it, so
// the letter fills its face.
constexpr double CubeHalf = 10.0;
constexpr int LetterBlock = 64, LetterBorder = 2;

constexpr TexRect letterRect(int x, int y)
{
    return {double(x - LetterBorder), double(y - LetterBorder), double(LetterBlock + 2 * LetterBorder),
            double(LetterBlock + 2 * LetterBorder)};
}

// Exchanges the places of two vertices in the file, keeping the shape.
void swapVertices(ForgeMesh& mesh, int a, int b)
{
    std::swap(mesh.vertices[a], mesh.vertices[b]);
    for (auto& face : mesh.faces)
        for (int& corner : face)
            corner = corner == a ? b : corner == b ? a : corner;
}

ForgeMesh buildCube()
{
    constexpr TexRect PlainSide{176, 92, 68, 68};  // stone right of the blocks, clear of top and bottom
    const std::array<TexRect, 6> rects = {letterRect(96, 96), PlainSide, letterRect(16, 96),
                                          PlainSide,          TexRect{176, 8, 72, 72}, TexRect{176, 176, 72, 72}};
    ForgeMesh mesh = buildBox({CubeHalf, CubeHalf, CubeHalf}, {2, 2, 2}, rects, true);
    // A letter's sparks start at its cube's vertex 0: the middle of the
    // front side, so the burst comes out of the letter rather than a corner.
    for (size_t i = 0; i < mesh.vertices.size(); ++i)
        if (mesh.vertices[i].x == 0 && mesh.vertices[i].z == 0 && mesh.vertices[i].y < 0)
            swapVertices(mesh, 0, static_cast<int>(i));
    return mesh;
}

// ---------------------------------------------------------------- plane

// One leaf cluster of the forest: a 3x3 grid across X-Z facing the eye
// (-Y) at the forest's viewing angle, the cluster picture reading normally.
ForgeMesh buildPlane()
{
    constexpr double Half = 13.0;
    ForgeMesh mesh;
    VertexIndex index;
    addBoxSide(mesh, index, {{-Half, 0, -Half}, {2 * Half, 0, 0}, {0, 0, 2 * Half}, 2, 2, {0, 0, 255, 255}, false});
    return mesh;
}

// ---------------------------------------------------------------- trunks

// Seven open trunks standing through the forest's depth on both sides of an
// open lane (the leaf planes glide down its middle and the calendar spins
// there), 300 units tall so they always reach past the top and bottom of
// the screen, tapering upwards.
struct Trunk {
    double x, y, radius;
};
constexpr Trunk Trunks[7] = {
    {-36, 6, 2.5}, {-58, -14, 3.0}, {-84, 22, 3.6}, {30, 26, 2.2}, {46, -8, 2.8}, {66, 14, 3.3}, {94, -18, 3.9},
};
constexpr double TrunkHalfHeight = 150.0;
constexpr double TrunkTaper = 0.8;
constexpr int TrunkSides = 12;

ForgeMesh buildTrunks()
{
    ForgeMesh mesh;
    for (const Trunk& trunk : Trunks) {
        const Vec3 x{1, 0, 0}, y{0, 1, 0};  // (Z, X, Y) is right-handed
        const std::vector<TubeRing> rings = {
            {{trunk.x, trunk.y, -TrunkHalfHeight}, trunk.radius * x, trunk.radius * y},
            {{trunk.x, trunk.y, TrunkHalfHeight}, TrunkTaper * trunk.radius * x, TrunkTaper * trunk.radius * y},
        };
        addTube(mesh, rings, TrunkSides, false, {0, 0, 255, 255});
    }
    return mesh;
}

// ---------------------------------------------------------------- pyramid

// The flare pyramid: only its vertices are seen, one flare each, so they
// trace its edges. The scene lights vertices 17..40 from the start and then
// one more every tenth step, from 16 down to 0. So 17..40 hold the pyramid's
// outline: the four slanting edges (16 points, the top one of each edge just
// under the apex, where their four flares merge into a bright tip), the four
// base corners and the middle of each base side. 1..16 fill in the base
// sides, and 0, the apex itself, lights last. The faces are the four sides
// (open at the base), each a fan over its edge points.
//
// The flares are drawn from their top-left corner, so each glow lies 16
// pixels right of and below its vertex, and the trails stream away from the
// projection centre, the model's origin. The pyramid therefore stands left
// of and above its origin as it rests at the end (seen from the side, screen
// x = X and screen y = -Z at about 4 pixels a unit): the glows then surround
// the origin and the trails fan out on every side, not into one wedge.
// The pyramid is drawn 1.7 times its first design (base 15 wide, 12.5
// tall), standing on the same floor, so it fills more of the black while
// its glows still gather round the origin and the flares' halos still
// touch along its edges (larger, the slanting edges fall apart into dots).
constexpr double PyramidScale = 1.7;
constexpr double PyramidBase = 7.5 * PyramidScale;   // half width of the base
constexpr double PyramidFloor = 0.0;                 // Z of the base
constexpr double PyramidApex = 12.5 * PyramidScale;  // Z of the apex
constexpr double PyramidShiftX = -3.9; // X of the axis through the apex
constexpr int PyramidBaseSteps = 6;    // base points per side, one corner each
constexpr int PyramidEdgePoints = 4;   // points up an edge above its base corner, the last 3 % short of the apex

int pyramidEdgePoint(int edge, int level) { return 17 + (level - 1) * 4 + edge; }  // level 1..4

// Base point `step` (0..5) of side `edge`: the corner and the middle are
// lit from the start; the others light in pairs beside the corners first.
int pyramidBasePoint(int index)
{
    const int edge = (index / PyramidBaseSteps) % 4, step = index % PyramidBaseSteps;
    constexpr std::array<int, PyramidBaseSteps> slot = {33, 13, 5, 37, 1, 9};
    return slot[size_t(step)] + edge;
}

// The side from corner `edge` to corner `edge + 1`, as a polygon that runs
// up the next edge and down this one: split between the ladder of edge
// points and a fan over the base points.
void addPyramidSide(ForgeMesh& mesh, int edge, const std::vector<int>& texel)
{
    const int next = (edge + 1) % 4;
    // Points up an edge by level: 0 the base corner, 1..4 the edge points,
    // 5 the apex.
    const auto up = [](int e, int level) {
        if (level == 0)
            return pyramidBasePoint(e * PyramidBaseSteps);
        return level > PyramidEdgePoints ? 0 : pyramidEdgePoint(e, level);
    };
    const auto left = [&up, edge](int level) { return up(edge, level); };
    const auto right = [&up, next](int level) { return up(next, level); };
    const auto face = [&mesh, &texel](int a, int b, int c) {
        addFace(mesh, {a, b, c}, {texel[a], texel[b], texel[c]});
    };
    for (int level = 1; level < PyramidEdgePoints; ++level)
        addQuad(mesh, {left(level), right(level), right(level + 1), left(level + 1)},
                {texel[left(level)], texel[right(level)], texel[right(level + 1)], texel[left(level + 1)]});
    face(left(PyramidEdgePoints), right(PyramidEdgePoints), 0);
    // Base points 0..6 of this side: the first four fan from the left edge's
    // lowest point, the last two from the right's, one face joins the fans.
    const auto base = [edge](int i) { return pyramidBasePoint(edge * PyramidBaseSteps + i); };
    for (int i = 0; i < 4; ++i)
        face(left(1), base(i), base(i + 1));
    face(left(1), base(4), right(1));
    for (int i = 4; i < PyramidBaseSteps; ++i)
        face(right(1), base(i), base(i + 1));
}

ForgeMesh buildPyramid()
{
    ForgeMesh mesh;
    mesh.vertices.resize(41);
    const Vec3 apex{PyramidShiftX, 0, PyramidApex};
    const double b = PyramidBase, x = PyramidShiftX;
    const std::array<Vec3, 4> corner = {Vec3{x + b, b, PyramidFloor}, Vec3{x - b, b, PyramidFloor},
                                        Vec3{x - b, -b, PyramidFloor}, Vec3{x + b, -b, PyramidFloor}};
    mesh.vertices[0] = apex;
    for (int edge = 0; edge < 4; ++edge) {
        for (int level = 1; level <= PyramidEdgePoints; ++level) {
            const double t = 0.97 * level / PyramidEdgePoints;
            mesh.vertices[pyramidEdgePoint(edge, level)] = corner[edge] + t * (apex - corner[edge]);
        }
        for (int i = 0; i < PyramidBaseSteps; ++i)
            mesh.vertices[pyramidBasePoint(edge * PyramidBaseSteps + i)] =
                corner[edge] + (double(i) / PyramidBaseSteps) * (corner[(edge + 1) % 4] - corner[edge]);
    }
    // Never drawn; each vertex takes its place seen from above.
    std::vector<int> texel;
    for (const Vec3& v : mesh.vertices)
        texel.push_back(addTexel(mesh, 128 + 14 / PyramidScale * v.x, 128 - 14 / PyramidScale * v.y));
    for (int edge = 0; edge < 4; ++edge)
        addPyramidSide(mesh, edge, texel);
    return mesh;
}

// ---------------------------------------------------------------- leaf

// The spinning leaf: a broad blade of six corners fanned from a raised
// midrib point, tapering to its stalk at the base. All 24 leaves turn about
// the origin, so the blade sits well out from it (from 17 to 59 units
// before LeafScale):
// the leaves then tumble round a hollow instead of bristling from one
// point, and each shows its whole shape. The blade lies across Y-Z, the
// plane that angleX turns within, so that only angleZ tilts it away from
// the eye and it is seen broadly about half the time. Double-sided: every
// face has a twin with the opposite winding on the same corners, and both
// map the same leaf picture (blade tip at the top of the texture, the
// midrib down column 128). The file wants nine vertices; the last two are
// spares on the midrib that no face uses.
constexpr Vec3 LeafPoints[9] = {
    {0, 0, 17}, {1.5, -19, 31}, {1.5, -15, 48}, {0, 0, 59}, {1.5, 15, 48}, {1.5, 19, 31},  // outline from the base
    {-3, 0, 36},                                                                           // midrib, raised to the front
    {0, 0, 25}, {0, 0, 52},                                                                // spares
};
constexpr std::array<std::array<int, 3>, 6> LeafFaces = {{{6, 0, 1}, {6, 1, 2}, {6, 2, 3}, {6, 3, 4}, {6, 4, 5},
                                                          {6, 5, 0}}};

Texel leafTexel(Vec3 p) { return {int(std::lround(128 - 6 * p.y)), int(std::lround(2 + (59 - p.z) * 6))}; }

// The ring's size on screen. A point r units out projects at most
// 200r / sqrt(170^2 - r^2) px from the centre (eye 170 units away, focal
// length 200), when it tilts towards the eye: the tip at 59 x 1.25 = 74
// units stays within 97 px, inside the screen's 120 px half height. A
// larger ring puts more of the screen under leaves that cross it in the
// fast-spinning cuts after 230 s, where the flash count has little room.
constexpr double LeafScale = 1.25;

// Winds the face so that its normal points along `towards`.
void addFaceFacing(ForgeMesh& mesh, std::array<int, 3> c, std::array<int, 3> t, Vec3 towards)
{
    const Vec3 n = cross(mesh.vertices[c[1]] - mesh.vertices[c[0]], mesh.vertices[c[2]] - mesh.vertices[c[0]]);
    if (dot(n, towards) < 0) {
        std::swap(c[1], c[2]);
        std::swap(t[1], t[2]);
    }
    addFace(mesh, c, t);
}

ForgeMesh buildLeaf()
{
    ForgeMesh mesh;
    for (const Vec3& p : LeafPoints)
        addVertex(mesh, LeafScale * p);
    for (const Vec3 towards : {Vec3{-1, 0, 0}, Vec3{1, 0, 0}}) {
        // Each side takes its own texels so an importer can tell them apart.
        std::array<int, 9> texel;
        for (int i = 0; i < 9; ++i) {
            const Texel t = leafTexel(LeafPoints[i]);
            mesh.texels.push_back(t);
            texel[i] = static_cast<int>(mesh.texels.size()) - 1;
        }
        for (const auto& f : LeafFaces)
            addFaceFacing(mesh, f, {texel[f[0]], texel[f[1]], texel[f[2]]}, towards);
    }
    return mesh;
}

// ---------------------------------------------------------------- file

// Model coordinates are written in sixteenths of a unit, which the show's
// reader turns into its 8.8 fixed point exactly.
double onSixteenths(double value) { return static_cast<double>(std::lround(value * 16)) / 16; }

// Fixed decimals with trailing zeros dropped (one kept after the point).
std::string decimal(double value, int places)
{
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", places, value);
    std::string s = text;
    while (s.size() > 2 && s.back() == '0' && s[s.size() - 2] != '.')
        s.pop_back();
    return s;
}

void writeObText(std::FILE* file, const std::string& name, const ForgeMesh& mesh)
{
    std::fprintf(file, "*3DSMAX_ASCIIEXPORT\t200\n*COMMENT \"demo-forge: %s\"\n", name.c_str());
    std::fprintf(file, "*SCENE {\n\t*SCENE_FILENAME \"%s.ase\"\n\t*SCENE_FIRSTFRAME 0\n\t*SCENE_LASTFRAME 0\n"
                       "\t*SCENE_FRAMESPEED 30\n\t*SCENE_TICKSPERFRAME 160\n}\n", name.c_str());
    std::fprintf(file, "*GEOMOBJECT {\n\t*NODE_NAME \"%s\"\n\t*NODE_TM {\n\t\t*NODE_NAME \"%s\"\n"
                       "\t\t*TM_ROW0 1.0 0.0 0.0\n\t\t*TM_ROW1 0.0 1.0 0.0\n\t\t*TM_ROW2 0.0 0.0 1.0\n"
                       "\t\t*TM_ROW3 0.0 0.0 0.0\n\t}\n", name.c_str(), name.c_str());
    std::fprintf(file, "\t*MESH {\n\t\t*TIMEVALUE 0\n\t\t*MESH_NUMVERTEX %zu\n\t\t*MESH_NUMFACES %zu\n",
                 mesh.vertices.size(), mesh.faces.size());
    std::fprintf(file, "\t\t*MESH_VERTEX_LIST {\n");
    for (size_t i = 0; i < mesh.vertices.size(); ++i) {
        const Vec3 v = mesh.vertices[i];
        std::fprintf(file, "\t\t\t*MESH_VERTEX %4zu\t%s\t%s\t%s\n", i, decimal(onSixteenths(v.x), 4).c_str(),
                     decimal(onSixteenths(v.y), 4).c_str(), decimal(onSixteenths(v.z), 4).c_str());
    }
    std::fprintf(file, "\t\t}\n\t\t*MESH_FACE_LIST {\n");
    for (size_t i = 0; i < mesh.faces.size(); ++i) {
        const auto& f = mesh.faces[i];
        std::fprintf(file, "\t\t\t*MESH_FACE %4zu:\tA: %4d B: %4d C: %4d AB: 1 BC: 1 CA: 1\n", i, f[0], f[1], f[2]);
    }
    std::fprintf(file, "\t\t}\n\t\t*MESH_NUMTVERTEX %zu\n\t\t*MESH_TVERTLIST {\n", mesh.texels.size());
    for (size_t i = 0; i < mesh.texels.size(); ++i) {
        const Texel t = mesh.texels[i];
        std::fprintf(file, "\t\t\t*MESH_TVERT %4zu\t%s\t%s\t0.0\n", i, decimal(t.column / 256.0, 8).c_str(),
                     decimal(1 - t.row / 256.0, 8).c_str());
    }
    std::fprintf(file, "\t\t}\n\t\t*MESH_NUMTVFACES %zu\n\t\t*MESH_TFACELIST {\n", mesh.texFaces.size());
    for (size_t i = 0; i < mesh.texFaces.size(); ++i) {
        const auto& t = mesh.texFaces[i];
        std::fprintf(file, "\t\t\t*MESH_TFACE %4zu\t%d\t%d\t%d\n", i, t[0], t[1], t[2]);
    }
    std::fprintf(file, "\t\t}\n\t}\n}\n");
}

// Each mesh comes out with exactly the counts of its row in the data table.
struct MeshFile {
    const DataFile& file;
    ForgeMesh (*build)();
};

constexpr MeshFile MeshFiles[] = {
    {dataFile("data/knot.ob"), buildKnot},         {dataFile("data/lehti.ob"), buildLeaf},
    {dataFile("data/stara.ob"), buildStar},        {dataFile("data/spidey.ob"), buildSpider},
    {dataFile("data/calendar.ob"), buildCalendar}, {dataFile("data/pyramid.ob"), buildPyramid},
    {dataFile("data/junkka.ob"), buildTrunks},     {dataFile("data/plane.ob"), buildPlane},
    {dataFile("data/cube.ob"), buildCube},
};

// The object's name inside the file: the file's name without ".ob".
std::string objectName(const DataFile& file)
{
    const std::string name = dataFileName(file);
    return name.substr(0, name.size() - 3);
}

// The show sizes its arrays from its own counts and trusts the file, so a
// mesh that came out with other counts stops the forge.
void requireCounts(const DataFile& file, const ForgeMesh& mesh)
{
    if (mesh.vertices.size() == size_t(file.vertices) && mesh.faces.size() == size_t(file.faces) &&
        mesh.texels.size() == size_t(file.texCoords))
        return;
    std::fprintf(stderr, "forge: %s came out with %zu/%zu/%zu entries, the show reads %d/%d/%d\n",
                 dataFileName(file), mesh.vertices.size(), mesh.faces.size(), mesh.texels.size(), file.vertices,
                 file.faces, file.texCoords);
    std::exit(1);
}

ForgeMesh finishedMesh(const MeshFile& mesh)
{
    ForgeMesh built = mesh.build();
    padTexels(built, size_t(mesh.file.texCoords));
    requireCounts(mesh.file, built);
    return built;
}

}  // namespace

void forgeMeshes(const std::string& dir)
{
    for (const MeshFile& mesh : MeshFiles) {
        const std::string path = forgedPath(dir, mesh.file);
        OutputFile out(path);
        writeObText(out.stream(), objectName(mesh.file), finishedMesh(mesh));
        out.finish();
    }
}
