// Checks on the forged meshes and the font sheet: the facts the show trusts
// without checking (counts, indices, texture positions inside the texture)
// and the ones that would only show as missing or garbled faces on screen
// (winding, closed surfaces, letters reading the right way round).
//
// The meshes are written afresh into a temporary directory by the forge's
// own code and read back with a small reader of the test's own.
#include "forge.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct P3 {
    double x, y, z;
};

struct ReadMesh {
    int declaredVertices = -1, declaredFaces = -1, declaredTexels = -1, declaredTexFaces = -1;
    std::vector<P3> vertices;
    std::vector<std::array<int, 3>> faces;
    std::vector<std::array<double, 2>> texels;  // u, v as written
    std::vector<std::array<int, 3>> texFaces;
    bool labelsInOrder = true;
};

// Reads the keyworded entries of a scene-export file, checking that each
// entry's label counts up from 0.
ReadMesh readOb(const std::filesystem::path& path)
{
    std::ifstream in(path);
    std::vector<std::string> tokens{std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
    ReadMesh mesh;
    const auto number = [&tokens](size_t i) { return i < tokens.size() ? std::stod(tokens[i]) : NAN; };
    const auto whole = [&tokens](size_t i) { return i < tokens.size() ? std::stoi(tokens[i]) : -1; };
    for (size_t i = 0; i < tokens.size(); ++i) {
        const std::string& t = tokens[i];
        if (t == "*MESH_NUMVERTEX")
            mesh.declaredVertices = whole(i + 1);
        else if (t == "*MESH_NUMFACES")
            mesh.declaredFaces = whole(i + 1);
        else if (t == "*MESH_NUMTVERTEX")
            mesh.declaredTexels = whole(i + 1);
        else if (t == "*MESH_NUMTVFACES")
            mesh.declaredTexFaces = whole(i + 1);
        else if (t == "*MESH_VERTEX") {
            mesh.labelsInOrder &= whole(i + 1) == static_cast<int>(mesh.vertices.size());
            mesh.vertices.push_back({number(i + 2), number(i + 3), number(i + 4)});
        } else if (t == "*MESH_FACE") {
            mesh.labelsInOrder &= tokens[i + 1] == std::to_string(mesh.faces.size()) + ":";
            mesh.labelsInOrder &= tokens[i + 2] == "A:" && tokens[i + 4] == "B:" && tokens[i + 6] == "C:";
            mesh.faces.push_back({whole(i + 3), whole(i + 5), whole(i + 7)});
        } else if (t == "*MESH_TVERT") {
            mesh.labelsInOrder &= whole(i + 1) == static_cast<int>(mesh.texels.size());
            mesh.texels.push_back({number(i + 2), number(i + 3)});
        } else if (t == "*MESH_TFACE") {
            mesh.labelsInOrder &= whole(i + 1) == static_cast<int>(mesh.texFaces.size());
            mesh.texFaces.push_back({whole(i + 2), whole(i + 3), whole(i + 4)});
        }
    }
    return mesh;
}

// The meshes of the data table, by name without ".ob", with the counts the
// show reads.
struct Expected {
    std::string name;
    int vertices, faces, texels;
};

std::vector<Expected> showCounts()
{
    std::vector<Expected> counts;
    for (const DataFile& file : DataFiles)
        if (file.kind == DataKind::Mesh) {
            const std::string name = dataFileName(file);
            counts.push_back({name.substr(0, name.size() - 3), file.vertices, file.faces, file.texCoords});
        }
    return counts;
}

class ForgedMeshes : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir = std::filesystem::temp_directory_path() / ("forge-meshes-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        forgeMeshes(dir.string());
        for (const Expected& e : showCounts())
            meshes[e.name] = readOb(dir / (e.name + ".ob"));
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(dir); }

    static const ReadMesh& mesh(const std::string& name) { return meshes.at(name); }

    static inline std::filesystem::path dir;
    static inline std::map<std::string, ReadMesh> meshes;
};

// ---------------------------------------------------------------- geometry helpers

P3 sub(P3 a, P3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
P3 crossP(P3 a, P3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double dotP(P3 a, P3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double norm(P3 a) { return std::sqrt(dotP(a, a)); }

P3 faceNormal(const ReadMesh& m, int f)
{
    const auto& c = m.faces[f];
    return crossP(sub(m.vertices[c[1]], m.vertices[c[0]]), sub(m.vertices[c[2]], m.vertices[c[0]]));
}

double maxRadius(const ReadMesh& m)
{
    double r = 0;
    for (const P3& v : m.vertices)
        r = std::max(r, norm(v));
    return r;
}

// Six times the enclosed volume; positive when the faces point outwards.
double signedVolume(const ReadMesh& m)
{
    double sum = 0;
    for (const auto& c : m.faces)
        sum += dotP(m.vertices[c[0]], crossP(m.vertices[c[1]], m.vertices[c[2]]));
    return sum;
}

// Every directed edge once, and its reverse once: a closed surface whose
// faces all wind the same way.
bool closedAndConsistent(const ReadMesh& m)
{
    std::map<std::pair<int, int>, int> directed;
    for (const auto& c : m.faces)
        for (int k = 0; k < 3; ++k)
            ++directed[{c[k], c[(k + 1) % 3]}];
    for (const auto& [edge, count] : directed)
        if (count != 1 || !directed.count({edge.second, edge.first}))
            return false;
    return true;
}

int eulerCharacteristic(const ReadMesh& m)
{
    std::set<std::pair<int, int>> edges;
    for (const auto& c : m.faces)
        for (int k = 0; k < 3; ++k)
            edges.insert(std::minmax(c[k], c[(k + 1) % 3]));
    return static_cast<int>(m.vertices.size()) - static_cast<int>(edges.size()) + static_cast<int>(m.faces.size());
}

// ---------------------------------------------------------------- the show's view

// Placement of a mesh as its scene sets it, in model units and table angles.
struct Placement {
    int angleX = 150, angleZ = 0;
    double offsetX = 0, offsetY = 0, offsetZ = 0;
    double eye = -170;  // cameraDepth in units
};

struct Projected {
    double x, y, depth;
};

// The show's projection in double precision: angle index i stands for
// -pi + 0.001533 i; rotate about x, then z; focal length 200.
std::vector<Projected> project(const ReadMesh& m, const Placement& p)
{
    const double a = -3.141592653589 + 0.001533 * (p.angleX & 4095);
    const double b = -3.141592653589 + 0.001533 * (p.angleZ & 4095);
    std::vector<Projected> out;
    for (const P3& v : m.vertices) {
        const double x = v.x + p.offsetX, y = v.y + p.offsetY, z = v.z + p.offsetZ;
        const double y1 = y * std::cos(a) - z * std::sin(a), z1 = y * std::sin(a) + z * std::cos(a);
        const double x2 = y1 * std::sin(b) + x * std::cos(b), d = y1 * std::cos(b) - x * std::sin(b);
        out.push_back({160 + 200 * x2 / (d - p.eye), 120 + 200 * z1 / (d - p.eye), d});
    }
    return out;
}

// Doubled screen area; positive = clockwise with y down = drawn.
double screenArea(const std::vector<Projected>& s, const std::array<int, 3>& c)
{
    const Projected &p1 = s[c[0]], &p2 = s[c[1]], &p3 = s[c[2]];
    return (p2.x - p1.x) * (p3.y - p1.y) - (p2.y - p1.y) * (p3.x - p1.x);
}

int drawnFaces(const ReadMesh& m, const Placement& p)
{
    const std::vector<Projected> s = project(m, p);
    int drawn = 0;
    for (const auto& c : m.faces)
        drawn += screenArea(s, c) > 0 && s[c[0]].depth > -170 && s[c[1]].depth > -170 && s[c[2]].depth > -170;
    return drawn;
}

// Texel column and row of a written texture vertex.
std::array<double, 2> texelOf(const ReadMesh& m, int t) { return {m.texels[t][0] * 256, (1 - m.texels[t][1]) * 256}; }

// Column and row of the middle of face f in its texture.
std::array<double, 2> texelCentre(const ReadMesh& m, int f)
{
    std::array<double, 2> sum{0, 0};
    for (int t : m.texFaces[f]) {
        sum[0] += texelOf(m, t)[0] / 3;
        sum[1] += texelOf(m, t)[1] / 3;
    }
    return sum;
}

// How texture column and row change per screen pixel across face f:
// {dcol/dx, dcol/dy, drow/dx, drow/dy}.
std::array<double, 4> textureSlopes(const ReadMesh& m, const std::vector<Projected>& s, int f)
{
    const auto& c = m.faces[f];
    const auto& t = m.texFaces[f];
    const double ex1 = s[c[1]].x - s[c[0]].x, ey1 = s[c[1]].y - s[c[0]].y;
    const double ex2 = s[c[2]].x - s[c[0]].x, ey2 = s[c[2]].y - s[c[0]].y;
    const auto t0 = texelOf(m, t[0]), t1 = texelOf(m, t[1]), t2 = texelOf(m, t[2]);
    const double det = ex1 * ey2 - ex2 * ey1;
    const double c1 = t1[0] - t0[0], c2 = t2[0] - t0[0], r1 = t1[1] - t0[1], r2 = t2[1] - t0[1];
    return {(c1 * ey2 - c2 * ey1) / det, (c2 * ex1 - c1 * ex2) / det, (r1 * ey2 - r2 * ey1) / det,
            (r2 * ex1 - r1 * ex2) / det};
}

// Faces seen nearly square-on: drawn, and at least half the largest drawn area.
std::vector<int> facesTowardsEye(const ReadMesh& m, const std::vector<Projected>& s)
{
    double largest = 0;
    for (const auto& c : m.faces)
        largest = std::max(largest, screenArea(s, c));
    std::vector<int> found;
    for (size_t f = 0; f < m.faces.size(); ++f)
        if (screenArea(s, m.faces[f]) > largest / 2)
            found.push_back(static_cast<int>(f));
    return found;
}

// A picture that reads normally: columns grow to the right, rows downwards.
void expectReadsNormally(const ReadMesh& m, const std::vector<Projected>& s, int f, double columnSign)
{
    const auto d = textureSlopes(m, s, f);
    EXPECT_GT(columnSign * d[0], 0) << "face " << f << " columns run the wrong way";
    EXPECT_GT(d[3], 0) << "face " << f << " rows run upwards";
    EXPECT_LT(std::abs(d[1]), 0.35 * std::abs(d[0])) << "face " << f << " is mapped turned";
    EXPECT_LT(std::abs(d[2]), 0.35 * std::abs(d[3])) << "face " << f << " is mapped turned";
}

// ---------------------------------------------------------------- tests

TEST_F(ForgedMeshes, HoldExactlyTheEntriesTheShowReadsAndOnlyValidReferences)
{
    for (const Expected& e : showCounts()) {
        SCOPED_TRACE(e.name);
        const ReadMesh& m = mesh(e.name);
        EXPECT_TRUE(m.labelsInOrder);
        EXPECT_EQ(m.declaredVertices, e.vertices);
        EXPECT_EQ(m.declaredFaces, e.faces);
        EXPECT_EQ(m.declaredTexels, e.texels);
        EXPECT_EQ(m.declaredTexFaces, e.faces);
        ASSERT_EQ(static_cast<int>(m.vertices.size()), e.vertices);
        ASSERT_EQ(static_cast<int>(m.faces.size()), e.faces);
        ASSERT_EQ(static_cast<int>(m.texels.size()), e.texels);
        ASSERT_EQ(static_cast<int>(m.texFaces.size()), e.faces);
        for (size_t f = 0; f < m.faces.size(); ++f)
            for (int k = 0; k < 3; ++k) {
                EXPECT_TRUE(m.faces[f][k] >= 0 && m.faces[f][k] < e.vertices) << "face " << f;
                EXPECT_TRUE(m.texFaces[f][k] >= 0 && m.texFaces[f][k] < e.texels) << "texture face " << f;
            }
        for (const auto& t : m.texels) {
            // Column 0..255 and row 0..255 (v = 1 - row / 256), in whole texels.
            EXPECT_TRUE(t[0] >= 0 && t[0] * 256 <= 255) << t[0];
            EXPECT_TRUE(t[1] <= 1 && t[1] * 256 >= 1) << t[1];
            EXPECT_EQ(t[0] * 256, std::round(t[0] * 256));
            EXPECT_EQ(t[1] * 256, std::round(t[1] * 256));
        }
        for (size_t f = 0; f < m.faces.size(); ++f)
            EXPECT_GT(norm(faceNormal(m, static_cast<int>(f))), 1e-3) << "face " << f << " is degenerate";
    }
}

TEST_F(ForgedMeshes, SolidsAreClosedSurfacesFacingOutwards)
{
    const std::pair<const char*, int> solids[] = {
        {"knot", 0}, {"stara", 0}, {"spidey", 2}, {"calendar", 2}, {"cube", 2},
    };
    for (const auto& [name, euler] : solids) {
        SCOPED_TRACE(name);
        const ReadMesh& m = mesh(name);
        EXPECT_TRUE(closedAndConsistent(m));
        EXPECT_EQ(eulerCharacteristic(m), euler);
        EXPECT_GT(signedVolume(m), 0);
    }
    // The leaf is a sheet with a back face behind every front face: the
    // same corners, wound the other way.
    const ReadMesh& leaf = mesh("lehti");
    std::multiset<std::array<int, 3>> windings;
    for (const auto& c : leaf.faces)
        windings.insert({c[0], c[1], c[2]});
    for (const auto& c : leaf.faces) {
        const std::array<int, 3> reversed[] = {{c[0], c[2], c[1]}, {c[2], c[1], c[0]}, {c[1], c[0], c[2]}};
        EXPECT_EQ(windings.count(reversed[0]) + windings.count(reversed[1]) + windings.count(reversed[2]), 1u);
    }
}

TEST_F(ForgedMeshes, HaveTheSizesTheirScenesFrame)
{
    // The knot fills the screen but stays inside its scene's depth clear.
    EXPECT_LE(maxRadius(mesh("knot")), 70);
    EXPECT_GE(maxRadius(mesh("knot")), 50);
    // The leaf ring stays on screen however a leaf tilts: a point r units
    // out lands at most 200r / sqrt(170^2 - r^2) px from the centre (eye
    // 170 units away, focal length 200), within the 120 px half height.
    const double leafReach = maxRadius(mesh("lehti"));
    EXPECT_LT(200 * leafReach / std::sqrt(170 * 170 - leafReach * leafReach), 120);
    EXPECT_GE(leafReach, 70);
    EXPECT_GE(maxRadius(mesh("stara")), 40);
    EXPECT_LE(maxRadius(mesh("stara")), 60);
    EXPECT_GE(maxRadius(mesh("spidey")), 30);
    EXPECT_LE(maxRadius(mesh("spidey")), 48);
    EXPECT_NEAR(maxRadius(mesh("calendar")), 12, 1.5);
    // The pyramid's flares join into lit edges only this large; much larger
    // and its first frames drop in from off screen for longer.
    EXPECT_GE(maxRadius(mesh("pyramid")), 18);
    EXPECT_LE(maxRadius(mesh("pyramid")), 24);
    EXPECT_NEAR(maxRadius(mesh("cube")) * 2 / std::sqrt(3.0), 20, 1);
    double planeHalf = 0;
    for (const P3& v : mesh("plane").vertices) {
        planeHalf = std::max({planeHalf, std::abs(v.x), std::abs(v.z)});
        EXPECT_EQ(v.y, 0);
    }
    EXPECT_GE(planeHalf, 8);
    EXPECT_LE(planeHalf, 15);
    double low = 0, high = 0;
    for (const P3& v : mesh("junkka").vertices) {
        low = std::min(low, v.z);
        high = std::max(high, v.z);
    }
    EXPECT_LE(low, -140);
    EXPECT_GE(high, 140);
}

// Closed meshes show about half their faces from any angle their scene
// turns them to (a thin box seen edge-on rather fewer); a mesh wound the
// wrong way would show its inside, well over half.
TEST_F(ForgedMeshes, SolidsShowAboutHalfTheirFacesAtTheirScenesAngles)
{
    struct Spin {
        const char* name;
        std::function<Placement(int)> at;  // placement after n update steps
    };
    const Spin spins[] = {
        {"knot", [](int n) { return Placement{150 + 90 * n, 128 * n, 0, 0, 0, -120}; }},
        {"stara", [](int n) { return Placement{150 + 20 * n, 16 * n, 0, 0, 0, -250}; }},
        {"spidey", [](int n) { return Placement{1000, 50 * n, 0, 0, 0, -200}; }},
        {"calendar", [](int n) { return Placement{0, 64 * n, 0, 0, 0, -50}; }},
        {"cube", [](int n) { return Placement{(n * 37) % 400 - 200, 64 * n, 0, 0, -100, -170}; }},
    };
    for (const Spin& spin : spins) {
        const ReadMesh& m = mesh(spin.name);
        for (int n = 0; n < 200; n += 7) {
            const int drawn = drawnFaces(m, spin.at(n));
            EXPECT_GE(drawn, static_cast<int>(m.faces.size()) / 16) << spin.name << " step " << n;
            EXPECT_LE(drawn, static_cast<int>(m.faces.size()) * 5 / 8) << spin.name << " step " << n;
        }
    }
    // Double-sided: exactly one of each pair faces the eye.
    for (int a = 0; a < 4096; a += 333)
        EXPECT_EQ(drawnFaces(mesh("lehti"), {a, 4095 - a}), 6) << a;
}

TEST_F(ForgedMeshes, ForestPiecesFaceTheEyeAtItsViewingAngle)
{
    // The leaf planes are drawn while 10..90 units in front of the eye.
    for (double offsetY : {-160.0, -120.0, -91.0})
        for (double offsetX : {-15.0, 15.0})
            EXPECT_EQ(drawnFaces(mesh("plane"), {40, 0, offsetX, offsetY, 11, -170}), 8);
    const std::vector<Projected> s = project(mesh("plane"), {40, 0, 15, -120, 11, -170});
    for (int f = 0; f < 8; ++f)
        expectReadsNormally(mesh("plane"), s, f, +1);
    // Each trunk shows its near half, whole, as a silhouette.
    const int drawn = drawnFaces(mesh("junkka"), {40, 0, 0, -60, 0, -170});
    EXPECT_GE(drawn, 7 * 10);
    EXPECT_LE(drawn, 7 * 14);
}

TEST_F(ForgedMeshes, CalendarPageReadsNormallyFromFrontAndBack)
{
    const ReadMesh& m = mesh("calendar");
    for (int angleZ : {0, 2048}) {
        SCOPED_TRACE(angleZ);
        const std::vector<Projected> s = project(m, {0, angleZ, 0, 0, 0, -50});
        const std::vector<int> page = facesTowardsEye(m, s);
        EXPECT_EQ(page.size(), 16u);  // the 4x2 grid of the page
        for (int f : page)
            expectReadsNormally(m, s, f, +1);
    }
}

// The stamp writes each letter mirrored left to right into four 64x64
// blocks. As the cube turns about its upright axis, its front and back must
// each show one block with the letter upright and the right way round, and
// the two sides between them plain stone, so that two sides facing the eye
// together never show the letter twice.
TEST_F(ForgedMeshes, CubeShowsItsLetterOnFrontAndBackOnly)
{
    const ReadMesh& m = mesh("cube");
    const std::array<std::array<int, 2>, 4> blocks = {{{96, 96}, {16, 16}, {16, 96}, {96, 180}}};
    const auto blockOf = [&blocks](std::array<double, 2> texel) {
        for (int b = 0; b < 4; ++b)
            if (texel[0] >= blocks[b][0] - 8 && texel[0] <= blocks[b][0] + 72 && texel[1] >= blocks[b][1] - 8 &&
                texel[1] <= blocks[b][1] + 72)
                return b;
        return -1;
    };
    for (int tilt : {-200, 0, 199}) {
        std::array<int, 4> shown{};
        for (int quarter = 0; quarter < 4; ++quarter) {
            SCOPED_TRACE(testing::Message() << "tilt " << tilt << " quarter " << quarter);
            const std::vector<Projected> s = project(m, {tilt, 1024 * quarter, 0, 0, 0, -170});
            const std::vector<int> side = facesTowardsEye(m, s);
            ASSERT_EQ(side.size(), 8u);
            std::set<int> blocksOnSide;
            for (int f : side)
                blocksOnSide.insert(blockOf(texelCentre(m, f)));
            ASSERT_EQ(blocksOnSide.size(), 1u);
            shown[size_t(quarter)] = *blocksOnSide.begin();
            if (shown[size_t(quarter)] != -1)
                for (int f : side)
                    expectReadsNormally(m, s, f, -1);  // mirrored in the texture
        }
        // Lettered and plain sides alternate, and the two lettered ones use different blocks.
        EXPECT_EQ(shown[1] == -1, shown[3] == -1);
        EXPECT_NE(shown[0] == -1, shown[1] == -1);
        EXPECT_EQ(shown[0] == -1, shown[2] == -1);
        const int front = shown[0] != -1 ? 0 : 1;
        EXPECT_NE(shown[size_t(front)], shown[size_t(front + 2)]);
    }
    // The sparks start at vertex 0: the middle of a side, not a corner.
    EXPECT_NEAR(norm(m.vertices[0]), 10, 0.1);
    // Top and bottom stay clear of the letters.
    for (size_t f = 0; f < m.faces.size(); ++f) {
        const P3 n = faceNormal(m, static_cast<int>(f));
        if (std::abs(n.z) > 0.9 * norm(n)) {
            EXPECT_EQ(blockOf(texelCentre(m, static_cast<int>(f))), -1) << "face " << f;
        }
    }
}

// The scene lights vertices 17..40 from the start, then 16 down to 0. The
// first set must already outline the whole pyramid, base to tip; the rest
// fill in the base, and the apex is the highest point.
TEST_F(ForgedMeshes, PyramidIsOutlinedBeforeItsBaseFillsIn)
{
    const ReadMesh& m = mesh("pyramid");
    const double floor = m.vertices[1].z, apex = m.vertices[0].z;
    for (int i = 1; i < 17; ++i)
        EXPECT_EQ(m.vertices[i].z, floor) << i;
    int onFloor = 0, nearApex = 0;
    for (int i = 17; i < 41; ++i) {
        EXPECT_GE(m.vertices[i].z, floor) << i;
        EXPECT_LE(m.vertices[i].z, apex) << i;
        onFloor += m.vertices[i].z == floor;
        nearApex += std::abs(m.vertices[i].z - apex) < 1.5;
    }
    // Four corners and four side middles on the floor, one point of each
    // slanting edge close under the tip, the rest spread up the edges.
    EXPECT_EQ(onFloor, 8);
    EXPECT_EQ(nearApex, 4);

    // The trails stream away from the projection centre, and every flare is
    // drawn from its top-left corner, its glow 15.5 pixels right of and
    // below its vertex. At rest (angles 4 and 2000, eye 50 units away) the
    // glows must gather round the centre, or the trails pile up into one
    // wedge on the side where the glows are.
    double sumX = 0, sumY = 0;
    for (const Projected& v : project(m, {4, 2000, 0, 0, 0, -50})) {
        sumX += v.x + 15.5 - 160;
        sumY += v.y + 15.5 - 120;
    }
    EXPECT_LT(std::hypot(sumX, sumY) / 41, 8) << "glows centred " << sumX / 41 << ", " << sumY / 41 << " px off";
}

// ---------------------------------------------------------------- font sheet

struct GrayPicture {
    int width = 0, height = 0, colourType = -1, depth = 0;
    std::vector<uint8_t> pixels;
};

// The header fields come straight from the IHDR chunk (the first chunk, at
// byte 8), the pixels from libpng's simplified reader.
GrayPicture readPicture(const std::string& path)
{
    GrayPicture picture;
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (bytes.size() < 33)
        return picture;
    const auto be32 = [&bytes](size_t at) {
        return int(bytes[at]) << 24 | int(bytes[at + 1]) << 16 | int(bytes[at + 2]) << 8 | int(bytes[at + 3]);
    };
    picture.width = be32(16);
    picture.height = be32(20);
    picture.depth = bytes[24];
    picture.colourType = bytes[25];
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return GrayPicture{};
    image.format = PNG_FORMAT_GRAY;
    picture.pixels.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, picture.pixels.data(), 0, nullptr))
        return GrayPicture{};
    return picture;
}

// The glyph of code c as a string of 0/1, row by row (cell columns and rows 1..15).
std::string glyphBits(const GrayPicture& sheet, int c)
{
    const int i = c - 32, left = (i % 16) * 16, top = (i / 16) * 16;
    std::string bits;
    for (int y = 1; y < 16; ++y)
        for (int x = 1; x < 16; ++x)
            bits += sheet.pixels[(top + y) * sheet.width + left + x] ? '1' : '0';
    return bits;
}

TEST(FontSheet, CellsKeepTheirGapsAndTheGreetingsLettersHaveInk)
{
    const GrayPicture sheet = readPicture("data/font-16x16");
    ASSERT_NE(sheet.width, 0) << "data/font-16x16 not forged";
    ASSERT_EQ(sheet.colourType, PNG_COLOR_TYPE_GRAY);
    ASSERT_EQ(sheet.depth, 8);
    ASSERT_EQ(sheet.width, 256);
    ASSERT_GE(sheet.height, 96);  // every code up to 122 lies on the sheet
    for (int y = 0; y < sheet.height; ++y)
        for (int x = 0; x < sheet.width; ++x)
            if (x % 16 == 0 || y % 16 == 0) {
                ASSERT_EQ(sheet.pixels[y * sheet.width + x], 0) << "gap pixel " << x << "," << y;
            }
    EXPECT_EQ(glyphBits(sheet, ' ').find('1'), std::string::npos);
    for (char c : std::string("VORTELINE GLIMMERS QUOBALTRIX PELIVOSKAN0123456789"))
        if (c != ' ') {
            EXPECT_NE(glyphBits(sheet, c).find('1'), std::string::npos) << c;
        }
    // The letters stay bold on a cube seen edge-on: stems at least four
    // pixels wide (glyph row 4, between the top bar and the middle), and the counters
    // of O and B still open there.
    const auto inkRuns = [&sheet](char c, int row) {
        const std::string line = glyphBits(sheet, c).substr(size_t(row) * 15, 15);
        std::vector<std::pair<char, int>> runs;  // ('1' or '0', length)
        for (char bit : line)
            if (!runs.empty() && runs.back().first == bit)
                runs.back().second += 1;
            else
                runs.push_back({bit, 1});
        return runs;
    };
    for (char c : std::string("ILT")) {
        for (const auto& [bit, length] : inkRuns(c, 4))
            if (bit == '1') {
                EXPECT_GE(length, 4) << c;
            }
    }
    for (char c : std::string("OB")) {
        const auto runs = inkRuns(c, 4);
        ASSERT_GE(runs.size(), 3u) << c;
        EXPECT_GE(runs[runs.size() - 2].second, 4) << c << "'s counter";
    }
    // No two capitals or digits look alike.
    std::map<std::string, char> seen;
    for (char c : std::string("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789")) {
        const auto [at, added] = seen.try_emplace(glyphBits(sheet, c), c);
        EXPECT_TRUE(added) << c << " looks like " << at->second;
    }
}

}  // namespace
