#include "CssColor.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <utility>
#include <vector>

#include "AsciiText.h"

namespace {
constexpr std::pair<std::string_view, uint32_t> kNamedColors[] = {
    {"aliceblue", 0xF0F8FF},
    {"antiquewhite", 0xFAEBD7},
    {"aqua", 0x00FFFF},
    {"aquamarine", 0x7FFFD4},
    {"azure", 0xF0FFFF},
    {"beige", 0xF5F5DC},
    {"bisque", 0xFFE4C4},
    {"black", 0x000000},
    {"blanchedalmond", 0xFFEBCD},
    {"blue", 0x0000FF},
    {"blueviolet", 0x8A2BE2},
    {"brown", 0xA52A2A},
    {"burlywood", 0xDEB887},
    {"cadetblue", 0x5F9EA0},
    {"chartreuse", 0x7FFF00},
    {"chocolate", 0xD2691E},
    {"coral", 0xFF7F50},
    {"cornflowerblue", 0x6495ED},
    {"cornsilk", 0xFFF8DC},
    {"crimson", 0xDC143C},
    {"cyan", 0x00FFFF},
    {"darkblue", 0x00008B},
    {"darkcyan", 0x008B8B},
    {"darkgoldenrod", 0xB8860B},
    {"darkgray", 0xA9A9A9},
    {"darkgreen", 0x006400},
    {"darkgrey", 0xA9A9A9},
    {"darkkhaki", 0xBDB76B},
    {"darkmagenta", 0x8B008B},
    {"darkolivegreen", 0x556B2F},
    {"darkorange", 0xFF8C00},
    {"darkorchid", 0x9932CC},
    {"darkred", 0x8B0000},
    {"darksalmon", 0xE9967A},
    {"darkseagreen", 0x8FBC8F},
    {"darkslateblue", 0x483D8B},
    {"darkslategray", 0x2F4F4F},
    {"darkslategrey", 0x2F4F4F},
    {"darkturquoise", 0x00CED1},
    {"darkviolet", 0x9400D3},
    {"deeppink", 0xFF1493},
    {"deepskyblue", 0x00BFFF},
    {"dimgray", 0x696969},
    {"dimgrey", 0x696969},
    {"dodgerblue", 0x1E90FF},
    {"firebrick", 0xB22222},
    {"floralwhite", 0xFFFAF0},
    {"forestgreen", 0x228B22},
    {"fuchsia", 0xFF00FF},
    {"gainsboro", 0xDCDCDC},
    {"ghostwhite", 0xF8F8FF},
    {"gold", 0xFFD700},
    {"goldenrod", 0xDAA520},
    {"gray", 0x808080},
    {"green", 0x008000},
    {"greenyellow", 0xADFF2F},
    {"grey", 0x808080},
    {"honeydew", 0xF0FFF0},
    {"hotpink", 0xFF69B4},
    {"indianred", 0xCD5C5C},
    {"indigo", 0x4B0082},
    {"ivory", 0xFFFFF0},
    {"khaki", 0xF0E68C},
    {"lavender", 0xE6E6FA},
    {"lavenderblush", 0xFFF0F5},
    {"lawngreen", 0x7CFC00},
    {"lemonchiffon", 0xFFFACD},
    {"lightblue", 0xADD8E6},
    {"lightcoral", 0xF08080},
    {"lightcyan", 0xE0FFFF},
    {"lightgoldenrodyellow", 0xFAFAD2},
    {"lightgray", 0xD3D3D3},
    {"lightgreen", 0x90EE90},
    {"lightgrey", 0xD3D3D3},
    {"lightpink", 0xFFB6C1},
    {"lightsalmon", 0xFFA07A},
    {"lightseagreen", 0x20B2AA},
    {"lightskyblue", 0x87CEFA},
    {"lightslategray", 0x778899},
    {"lightslategrey", 0x778899},
    {"lightsteelblue", 0xB0C4DE},
    {"lightyellow", 0xFFFFE0},
    {"lime", 0x00FF00},
    {"limegreen", 0x32CD32},
    {"linen", 0xFAF0E6},
    {"magenta", 0xFF00FF},
    {"maroon", 0x800000},
    {"mediumaquamarine", 0x66CDAA},
    {"mediumblue", 0x0000CD},
    {"mediumorchid", 0xBA55D3},
    {"mediumpurple", 0x9370DB},
    {"mediumseagreen", 0x3CB371},
    {"mediumslateblue", 0x7B68EE},
    {"mediumspringgreen", 0x00FA9A},
    {"mediumturquoise", 0x48D1CC},
    {"mediumvioletred", 0xC71585},
    {"midnightblue", 0x191970},
    {"mintcream", 0xF5FFFA},
    {"mistyrose", 0xFFE4E1},
    {"moccasin", 0xFFE4B5},
    {"navajowhite", 0xFFDEAD},
    {"navy", 0x000080},
    {"oldlace", 0xFDF5E6},
    {"olive", 0x808000},
    {"olivedrab", 0x6B8E23},
    {"orange", 0xFFA500},
    {"orangered", 0xFF4500},
    {"orchid", 0xDA70D6},
    {"palegoldenrod", 0xEEE8AA},
    {"palegreen", 0x98FB98},
    {"paleturquoise", 0xAFEEEE},
    {"palevioletred", 0xDB7093},
    {"papayawhip", 0xFFEFD5},
    {"peachpuff", 0xFFDAB9},
    {"peru", 0xCD853F},
    {"pink", 0xFFC0CB},
    {"plum", 0xDDA0DD},
    {"powderblue", 0xB0E0E6},
    {"purple", 0x800080},
    {"rebeccapurple", 0x663399},
    {"red", 0xFF0000},
    {"rosybrown", 0xBC8F8F},
    {"royalblue", 0x4169E1},
    {"saddlebrown", 0x8B4513},
    {"salmon", 0xFA8072},
    {"sandybrown", 0xF4A460},
    {"seagreen", 0x2E8B57},
    {"seashell", 0xFFF5EE},
    {"sienna", 0xA0522D},
    {"silver", 0xC0C0C0},
    {"skyblue", 0x87CEEB},
    {"slateblue", 0x6A5ACD},
    {"slategray", 0x708090},
    {"slategrey", 0x708090},
    {"snow", 0xFFFAFA},
    {"springgreen", 0x00FF7F},
    {"steelblue", 0x4682B4},
    {"tan", 0xD2B48C},
    {"teal", 0x008080},
    {"thistle", 0xD8BFD8},
    {"tomato", 0xFF6347},
    {"turquoise", 0x40E0D0},
    {"violet", 0xEE82EE},
    {"wheat", 0xF5DEB3},
    {"white", 0xFFFFFF},
    {"whitesmoke", 0xF5F5F5},
    {"yellow", 0xFFFF00},
    {"yellowgreen", 0x9ACD32},
};
static_assert(std::size(kNamedColors) == 148);

// The longest part of the text that a reason quotes; longer texts end in "...".
constexpr size_t kQuotedBytes = 48;
// CSS Color 4's just-noticeable difference in OKLab, and the chroma search's resolution.
constexpr double kJnd = 0.02;
constexpr double kChromaEpsilon = 0.0001;
// Larger numbers say nothing more about a colour and would only overflow the conversions.
constexpr double kLargestNumber = 1e6;
constexpr double kPi = 3.14159265358979323846;

using Vec = std::array<double, 3>;
using Mat = std::array<Vec, 3>;

Vec Mul(const Mat& m, const Vec& v) {
    return {m[0][0] * v[0] + m[0][1] * v[1] + m[0][2] * v[2],
            m[1][0] * v[0] + m[1][1] * v[1] + m[1][2] * v[2],
            m[2][0] * v[0] + m[2][1] * v[1] + m[2][2] * v[2]};
}
Mat Mul(const Mat& a, const Mat& b) {
    Mat out{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            out[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j];
    return out;
}
Mat Inverse(const Mat& m) {
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    Mat out{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            const int r0 = (j + 1) % 3, r1 = (j + 2) % 3, c0 = (i + 1) % 3, c1 = (i + 2) % 3;
            out[i][j] = (m[r0][c0] * m[r1][c1] - m[r0][c1] * m[r1][c0]) / det;
        }
    return out;
}

// CSS Color 4's matrices, to XYZ (D65 unless the space is D50) from each space's linear light.
const Mat kLinearSrgbToXyz = {{{506752.0 / 1228815, 87881.0 / 245763, 12673.0 / 70218},
                               {87098.0 / 409605, 175762.0 / 245763, 12673.0 / 175545},
                               {7918.0 / 409605, 87881.0 / 737289, 1001167.0 / 1053270}}};
const Mat kLinearP3ToXyz = {{{608311.0 / 1250200, 189793.0 / 714400, 198249.0 / 1000160},
                             {35783.0 / 156275, 247089.0 / 357200, 198249.0 / 2500400},
                             {0.0, 32229.0 / 714400, 5220557.0 / 5000800}}};
const Mat kLinearA98ToXyz = {{{573536.0 / 994567, 263643.0 / 1420810, 187206.0 / 994567},
                              {591459.0 / 1989134, 6239551.0 / 9945670, 374412.0 / 4972835},
                              {53769.0 / 1989134, 351524.0 / 4972835, 4929758.0 / 4972835}}};
const Mat kLinearRec2020ToXyz = {
    {{63426534.0 / 99577255, 20160776.0 / 139408157, 47086771.0 / 278816314},
     {26158966.0 / 99577255, 472592308.0 / 697040785, 8267143.0 / 139408157},
     {0.0, 19567812.0 / 697040785, 295819943.0 / 278816314}}};
const Mat kLinearProPhotoToXyzD50 = {
    {{0.7977666449006423, 0.13518129740053308, 0.0313477341283922858},
     {0.2880748288194013, 0.711835234241873, 0.00008993693872564},
     {0.0, 0.0, 0.8251046025104602}}};
const Mat kXyzToLms = {{{0.8190224379967030, 0.3619062600528904, -0.1288737815209879},
                        {0.0329836539323885, 0.9292868615863434, 0.0361446663506424},
                        {0.0481771893596242, 0.2642395317527308, 0.6335478284694309}}};
const Mat kLmsToOklab = {{{0.2104542683093140, 0.7936177747023054, -0.0040720430116193},
                          {1.9779985324311684, -2.4285922420485799, 0.4505937096174110},
                          {0.0259040424655478, 0.7827717124575296, -0.8086757549230774}}};
const Vec kD50White = {0.3457 / 0.3585, 1.0, (1.0 - 0.3457 - 0.3585) / 0.3585};
const Vec kD65White = {0.3127 / 0.3290, 1.0, (1.0 - 0.3127 - 0.3290) / 0.3290};

// The Bradford adaptation from D50 to D65, made as CSS Color 4 makes its matrix.
Mat MakeD50ToD65() {
    const Mat bradford = {
        {{0.8951, 0.2664, -0.1614}, {-0.7502, 1.7135, 0.0367}, {0.0389, -0.0685, 1.0296}}};
    const Vec from = Mul(bradford, kD50White), to = Mul(bradford, kD65White);
    const Mat scale = {{{to[0] / from[0], 0, 0}, {0, to[1] / from[1], 0}, {0, 0, to[2] / from[2]}}};
    return Mul(Inverse(bradford), Mul(scale, bradford));
}

struct Matrices {
    Mat xyzToLinearSrgb = Inverse(kLinearSrgbToXyz);
    Mat lmsToXyz = Inverse(kXyzToLms);
    Mat oklabToLms = Inverse(kLmsToOklab);
    Mat d50ToD65 = MakeD50ToD65();
    Mat linearSrgbToLms = Mul(kXyzToLms, kLinearSrgbToXyz);
    Mat lmsToLinearSrgb = Mul(xyzToLinearSrgb, lmsToXyz);
};
const Matrices& M() {
    static const Matrices matrices;
    return matrices;
}

double SignedPow(double value, double power) {
    return std::copysign(std::pow(std::fabs(value), power), value);
}
double SrgbToLinear(double c) {
    if (std::fabs(c) <= 0.04045) return c / 12.92;
    return std::copysign(std::pow((std::fabs(c) + 0.055) / 1.055, 2.4), c);
}
double LinearToSrgb(double c) {
    if (std::fabs(c) <= 0.0031308) return 12.92 * c;
    return std::copysign(1.055 * std::pow(std::fabs(c), 1 / 2.4) - 0.055, c);
}
double A98ToLinear(double c) {
    return SignedPow(c, 563.0 / 256);
}
double ProPhotoToLinear(double c) {
    return std::fabs(c) <= 16.0 / 512 ? c / 16 : SignedPow(c, 1.8);
}
double Rec2020ToLinear(double c) {
    constexpr double alpha = 1.09929682680944, beta = 0.018053968510807;
    if (std::fabs(c) < beta * 4.5) return c / 4.5;
    return std::copysign(std::pow((std::fabs(c) + alpha - 1) / alpha, 1 / 0.45), c);
}
Vec Apply(double (*transfer)(double), const Vec& v) {
    return {transfer(v[0]), transfer(v[1]), transfer(v[2])};
}

Vec XyzToSrgb(const Vec& xyz) {
    return Apply(LinearToSrgb, Mul(M().xyzToLinearSrgb, xyz));
}
Vec SrgbToOklab(const Vec& rgb) {
    const Vec lms = Mul(kXyzToLms, Mul(kLinearSrgbToXyz, Apply(SrgbToLinear, rgb)));
    return Mul(kLmsToOklab, Vec{std::cbrt(lms[0]), std::cbrt(lms[1]), std::cbrt(lms[2])});
}
Vec OklabToXyz(const Vec& lab) {
    const Vec lms = Mul(M().oklabToLms, lab);
    return Mul(M().lmsToXyz,
               Vec{lms[0] * lms[0] * lms[0], lms[1] * lms[1] * lms[1], lms[2] * lms[2] * lms[2]});
}
Vec LabToXyz(const Vec& lab) {
    constexpr double kappa = 24389.0 / 27, epsilon = 216.0 / 24389;
    const double f1 = (lab[0] + 16) / 116, f0 = lab[1] / 500 + f1, f2 = f1 - lab[2] / 200;
    const double x = f0 * f0 * f0 > epsilon ? f0 * f0 * f0 : (116 * f0 - 16) / kappa;
    const double y = lab[0] > kappa * epsilon ? f1 * f1 * f1 : lab[0] / kappa;
    const double z = f2 * f2 * f2 > epsilon ? f2 * f2 * f2 : (116 * f2 - 16) / kappa;
    return Mul(M().d50ToD65, Vec{x * kD50White[0], y * kD50White[1], z * kD50White[2]});
}
Vec PolarToRectangular(const Vec& lch) {
    const double hue = lch[2] * kPi / 180;
    return {lch[0], lch[1] * std::cos(hue), lch[1] * std::sin(hue)};
}

bool InGamut(const Vec& rgb) {
    return std::all_of(rgb.begin(), rgb.end(), [](double c) { return c >= 0 && c <= 1; });
}
Vec Clip(const Vec& rgb) {
    return {std::clamp(rgb[0], 0.0, 1.0), std::clamp(rgb[1], 0.0, 1.0),
            std::clamp(rgb[2], 0.0, 1.0)};
}
double DeltaEOk(const Vec& a, const Vec& b) {
    return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                     (a[2] - b[2]) * (a[2] - b[2]));
}

uint32_t ToRgb24(const Vec& rgb) {
    uint32_t out = 0;
    for (double c : rgb)
        out = out << 8 | static_cast<uint32_t>(std::lround(std::clamp(c, 0.0, 1.0) * 255));
    return out;
}

// CSS Color 4's gamut mapping to sRGB: the OKLCh chroma halved by binary search, keeping the
// lightness and hue, until the clipped colour is within a just-noticeable difference. The search
// stays in linear light: clipping there is clipping the encoded channels, as both ends are fixed.
Vec MapIntoSrgb(const Vec& origin) {
    if (InGamut(origin)) return origin;
    const Vec lab = SrgbToOklab(origin);
    if (!(lab[0] < 1)) return {1, 1, 1};
    if (!(lab[0] > 0)) return {0, 0, 0};
    const double hue = std::atan2(lab[2], lab[1]);
    const double cosHue = std::cos(hue), sinHue = std::sin(hue);
    const auto& m = M();
    auto linearToOklab = [&](const Vec& linear) {
        const Vec lms = Mul(m.linearSrgbToLms, linear);
        return Mul(kLmsToOklab, Vec{std::cbrt(lms[0]), std::cbrt(lms[1]), std::cbrt(lms[2])});
    };
    double low = 0, high = std::hypot(lab[1], lab[2]);
    bool lowInGamut = true;
    Vec clipped = Clip(Apply(SrgbToLinear, origin));
    if (DeltaEOk(linearToOklab(clipped), lab) < kJnd) return Apply(LinearToSrgb, clipped);
    while (high - low > kChromaEpsilon) {
        const double chroma = (low + high) / 2;
        const Vec current = {lab[0], chroma * cosHue, chroma * sinHue};
        const Vec lms = Mul(m.oklabToLms, current);
        const Vec linear =
            Mul(m.lmsToLinearSrgb,
                Vec{lms[0] * lms[0] * lms[0], lms[1] * lms[1] * lms[1], lms[2] * lms[2] * lms[2]});
        if (lowInGamut && InGamut(linear)) {
            low = chroma;
            continue;
        }
        clipped = Clip(linear);
        const double delta = DeltaEOk(linearToOklab(clipped), current);
        if (delta < kJnd) {
            if (kJnd - delta < kChromaEpsilon) break;
            lowInGamut = false;
            low = chroma;
        } else {
            high = chroma;
        }
    }
    return Apply(LinearToSrgb, clipped);
}

// A name or value of the text as a reason quotes it: long ones cut, so that it stays one line.
std::string Short(std::string_view part) {
    constexpr size_t kLongest = 24;
    return part.size() <= kLongest ? std::string(part)
                                   : std::string(part.substr(0, kLongest)) + "...";
}

enum class Kind { Number, Percent, Dimension, Ident, Comma, Slash };
struct Token {
    Kind kind;
    double value = 0;
    std::string_view text; // as written, lower case
    std::string_view unit; // of a dimension
};
// Enough for color()'s space, three values, '/' and an alpha, with the commas of the old form.
constexpr size_t kMostTokens = 9;

class Reader {
public:
    explicit Reader(std::string_view typed) : typed_(typed) {}

    ColorReading Read();

private:
    ColorReading Fail(std::string_view why) const;
    ColorReading Done(const Vec& srgb, const Token* alpha) const;
    ColorReading ReadHex(std::string_view digits) const;
    ColorReading ReadFunction(std::string_view name, std::string_view args) const;
    bool Tokenize(std::string_view args, std::vector<Token>& tokens, std::string& why) const;

    std::string_view typed_;
    std::string lower_;
};

ColorReading Reader::Fail(std::string_view why) const {
    size_t end = typed_.size();
    if (end > kQuotedBytes) {
        end = kQuotedBytes;
        while (end > 0 && (static_cast<unsigned char>(typed_[end]) & 0xC0) == 0x80)
            --end;
    }
    if (typed_.empty()) return {std::nullopt, "An empty text is not a colour."};
    constexpr std::string_view kIsNot = " is not a colour: ";
    ColorReading reading;
    // Read after every key: one allocation for the whole line.
    reading.reason.reserve(end + 3 + kIsNot.size() + why.size() + 1);
    reading.reason.append(typed_.substr(0, end));
    if (end < typed_.size()) reading.reason += "...";
    reading.reason.append(kIsNot).append(why) += '.';
    for (char& ch : reading.reason)
        if (static_cast<unsigned char>(ch) < 0x20) ch = ' '; // one line, whatever was typed
    return reading;
}

ColorReading Reader::Done(const Vec& srgb, const Token* alpha) const {
    if (alpha) {
        double value = 0;
        if (alpha->kind == Kind::Number)
            value = alpha->value;
        else if (alpha->kind == Kind::Percent)
            value = alpha->value / 100;
        else if (alpha->text != "none")
            return Fail("'" + Short(alpha->text) + "' is not an alpha");
        if (value < 1) return Fail("its alpha is below 1, and a page colour cannot be transparent");
    }
    for (double c : srgb)
        if (!std::isfinite(c)) return Fail("its values lie beyond any colour");
    return {ToRgb24(MapIntoSrgb(srgb)), {}};
}

ColorReading Reader::ReadHex(std::string_view digits) const {
    for (char ch : digits)
        if (HexValue(ch) < 0)
            return Fail(ch > ' ' && ch < 0x7F ? "'" + std::string(1, ch) + "' is not a hex digit"
                                              : std::string("a hex colour has only hex digits"));
    const size_t n = digits.size();
    if (n != 3 && n != 4 && n != 6 && n != 8) return Fail("a hex colour has 3, 4, 6 or 8 digits");
    const bool shortForm = n <= 4;
    auto channel = [&](int i) {
        return shortForm ? HexValue(digits[i]) * 17
                         : HexValue(digits[2 * i]) * 16 + HexValue(digits[2 * i + 1]);
    };
    if ((n == 4 || n == 8) && channel(3) != 255)
        return Fail("its alpha is below 1, and a page colour cannot be transparent");
    return {static_cast<uint32_t>(channel(0) << 16 | channel(1) << 8 | channel(2)), {}};
}

bool Reader::Tokenize(std::string_view args, std::vector<Token>& tokens, std::string& why) const {
    size_t i = 0;
    while (i < args.size()) {
        const char ch = args[i];
        if (IsBlank(ch)) {
            ++i;
            continue;
        }
        if (tokens.size() == kMostTokens) {
            why = "it has too many values";
            return false;
        }
        const size_t start = i;
        if (ch == ',' || ch == '/') {
            tokens.push_back({ch == ',' ? Kind::Comma : Kind::Slash, 0, args.substr(i, 1), {}});
            ++i;
            continue;
        }
        size_t j = i;
        if (args[j] == '+' || args[j] == '-') ++j;
        const size_t digitsStart = j;
        while (j < args.size() && args[j] >= '0' && args[j] <= '9')
            ++j;
        bool digits = j > digitsStart;
        if (j + 1 < args.size() && args[j] == '.' && args[j + 1] >= '0' && args[j + 1] <= '9') {
            ++j;
            while (j < args.size() && args[j] >= '0' && args[j] <= '9')
                ++j;
            digits = true;
        }
        if (digits) {
            if (j < args.size() && args[j] == 'e') {
                size_t k = j + 1;
                if (k < args.size() && (args[k] == '+' || args[k] == '-')) ++k;
                if (k < args.size() && args[k] >= '0' && args[k] <= '9') {
                    while (k < args.size() && args[k] >= '0' && args[k] <= '9')
                        ++k;
                    j = k;
                }
            }
            const size_t from = args[start] == '+' ? start + 1 : start;
            double value = 0;
            const auto result = std::from_chars(args.data() + from, args.data() + j, value);
            if (result.ec == std::errc::result_out_of_range) value = 0;
            value = std::clamp(value, -kLargestNumber, kLargestNumber);
            Token token{Kind::Number, value, {}, {}};
            if (j < args.size() && args[j] == '%') {
                token.kind = Kind::Percent;
                ++j;
            } else if (j < args.size() && IsAsciiLetter(args[j])) {
                const size_t unit = j;
                while (j < args.size() && IsAsciiLetter(args[j]))
                    ++j;
                token.kind = Kind::Dimension;
                token.unit = args.substr(unit, j - unit);
            }
            token.text = args.substr(start, j - start);
            tokens.push_back(token);
            i = j;
            continue;
        }
        if (IsAsciiLetter(ch) || ch == '-') {
            while (j < args.size() &&
                   (IsAsciiLetter(args[j]) || args[j] == '-' || (args[j] >= '0' && args[j] <= '9')))
                ++j;
            tokens.push_back({Kind::Ident, 0, args.substr(start, j - start), {}});
            i = j;
            continue;
        }
        const unsigned char byte = static_cast<unsigned char>(ch);
        why = ch == '(' ? "a function cannot stand inside a colour"
              : byte < 0x80 && byte >= 0x20
                  ? "'" + std::string(1, ch) + "' cannot stand there"
                  : std::string("it holds a character that no colour has");
        return false;
    }
    return true;
}

struct Args {
    const Token* values[4] = {};
    size_t count = 0;
    const Token* alpha = nullptr;
    bool legacy = false; // separated by commas
};

// A value of a colour function: a number, or a percentage of percentFull; none is 0.
bool Value(const Token* token, double percentFull, double& out) {
    if (token->kind == Kind::Number)
        out = token->value;
    else if (token->kind == Kind::Percent)
        out = token->value / 100 * percentFull;
    else if (token->kind == Kind::Ident && token->text == "none")
        out = 0;
    else
        return false;
    return true;
}
bool Hue(const Token* token, double& out) {
    if (token->kind == Kind::Number)
        out = token->value;
    else if (token->kind == Kind::Ident && token->text == "none")
        out = 0;
    else if (token->kind != Kind::Dimension)
        return false;
    else if (token->unit == "deg")
        out = token->value;
    else if (token->unit == "grad")
        out = token->value * 0.9;
    else if (token->unit == "rad")
        out = token->value * 180 / kPi;
    else if (token->unit == "turn")
        out = token->value * 360;
    else
        return false;
    out = std::fmod(out, 360);
    if (out < 0) out += 360;
    return true;
}

Vec HslToSrgb(double hue, double saturation, double lightness) {
    auto f = [&](double n) {
        const double k = std::fmod(n + hue / 30, 12);
        const double a = saturation * std::min(lightness, 1 - lightness);
        return lightness - a * std::max(-1.0, std::min({k - 3, 9 - k, 1.0}));
    };
    return {f(0), f(8), f(4)};
}

ColorReading Reader::ReadFunction(std::string_view name, std::string_view inner) const {
    std::vector<Token> tokens;
    std::string why;
    if (!Tokenize(inner, tokens, why)) return Fail(why);
    const bool isColor = name == "color";
    std::string_view space;
    size_t first = 0;
    if (isColor) {
        if (tokens.empty() || tokens[0].kind != Kind::Ident)
            return Fail("color() begins with a colour space, such as srgb or display-p3");
        space = tokens[0].text;
        first = 1;
    }
    Args args;
    // Made only when it is the reason: a colour is read after every key.
    const auto failUsage = [&] {
        return Fail(Short(name) + "() takes three values, then an optional alpha after '/'");
    };
    args.legacy = tokens.size() > first + 1 && tokens[first + 1].kind == Kind::Comma;
    for (size_t i = first; i < tokens.size(); ++i) {
        const Token& token = tokens[i];
        if (args.legacy) {
            // value, value, value[, alpha]
            const size_t position = i - first;
            const bool separator = token.kind == Kind::Comma || token.kind == Kind::Slash;
            if (position % 2 == 1 && token.kind != Kind::Comma)
                return separator ? failUsage() : Fail("it mixes commas and spaces");
            if (position % 2 == 0 && separator) return failUsage();
            if (position % 2 == 0) {
                if (args.count == 4) return failUsage();
                args.values[args.count++] = &token;
            }
            if (i + 1 == tokens.size() && token.kind == Kind::Comma) return failUsage();
            continue;
        }
        if (token.kind == Kind::Comma) return Fail("it mixes commas and spaces");
        if (token.kind == Kind::Slash) {
            if (args.count != 3 || i + 2 != tokens.size()) return failUsage();
            args.alpha = &tokens[i + 1];
            break;
        }
        if (args.count == 3) return failUsage();
        args.values[args.count++] = &token;
    }
    if (args.legacy) {
        if (args.count == 4) args.alpha = args.values[3], args.count = 3;
        if (isColor || (name != "rgb" && name != "rgba" && name != "hsl" && name != "hsla"))
            return Fail(Short(name) + "() takes no commas");
    }
    if (args.count != 3) return failUsage();
    if (args.alpha && args.alpha->kind == Kind::Dimension)
        return Fail("'" + Short(args.alpha->text) + "' is not an alpha");
    const Token* const* v = args.values;
    auto notValue = [&](const Token* token) {
        return Fail("'" + Short(token->text) + "' cannot stand there");
    };
    double c[3] = {};

    if (name == "rgb" || name == "rgba") {
        for (int i = 0; i < 3; ++i) {
            if (args.legacy && (v[i]->kind != v[0]->kind || v[i]->kind == Kind::Ident))
                return Fail("with commas, rgb() takes three numbers or three percentages");
            if (!Value(v[i], 255, c[i])) return notValue(v[i]);
        }
        return Done({std::clamp(c[0], 0.0, 255.0) / 255, std::clamp(c[1], 0.0, 255.0) / 255,
                     std::clamp(c[2], 0.0, 255.0) / 255},
                    args.alpha);
    }
    if (name == "hsl" || name == "hsla" || name == "hwb") {
        double hue = 0;
        if (!Hue(v[0], hue)) return notValue(v[0]);
        for (int i = 1; i < 3; ++i) {
            if (args.legacy && v[i]->kind != Kind::Percent)
                return Fail("with commas, hsl() takes a hue and two percentages");
            if (!Value(v[i], 100, c[i])) return notValue(v[i]);
            c[i] /= 100;
        }
        if (name != "hwb") return Done(HslToSrgb(hue, std::max(c[1], 0.0), c[2]), args.alpha);
        if (c[1] + c[2] >= 1) {
            const double gray = c[1] / (c[1] + c[2]);
            return Done({gray, gray, gray}, args.alpha);
        }
        Vec rgb = HslToSrgb(hue, 1, 0.5);
        for (double& channel : rgb)
            channel = channel * (1 - c[1] - c[2]) + c[1];
        return Done(rgb, args.alpha);
    }
    if (name == "lab" || name == "lch" || name == "oklab" || name == "oklch") {
        const bool ok = name[0] == 'o', polar = name.back() == 'h';
        const double lightnessFull = ok ? 1 : 100;
        const double chromaFull = ok ? 0.4 : polar ? 150 : 125;
        if (!Value(v[0], lightnessFull, c[0])) return notValue(v[0]);
        if (!Value(v[1], chromaFull, c[1])) return notValue(v[1]);
        if (polar ? !Hue(v[2], c[2]) : !Value(v[2], chromaFull, c[2])) return notValue(v[2]);
        Vec lab = {std::clamp(c[0], 0.0, lightnessFull), c[1], c[2]};
        if (polar) lab = PolarToRectangular({lab[0], std::max(lab[1], 0.0), lab[2]});
        return Done(XyzToSrgb(ok ? OklabToXyz(lab) : LabToXyz(lab)), args.alpha);
    }
    if (isColor) {
        for (int i = 0; i < 3; ++i)
            if (!Value(v[i], 1, c[i])) return notValue(v[i]);
        const Vec in = {c[0], c[1], c[2]};
        if (space == "srgb") return Done(in, args.alpha);
        Vec xyz;
        if (space == "srgb-linear")
            xyz = Mul(kLinearSrgbToXyz, in);
        else if (space == "display-p3")
            xyz = Mul(kLinearP3ToXyz, Apply(SrgbToLinear, in));
        else if (space == "a98-rgb")
            xyz = Mul(kLinearA98ToXyz, Apply(A98ToLinear, in));
        else if (space == "rec2020")
            xyz = Mul(kLinearRec2020ToXyz, Apply(Rec2020ToLinear, in));
        else if (space == "prophoto-rgb")
            xyz = Mul(M().d50ToD65, Mul(kLinearProPhotoToXyzD50, Apply(ProPhotoToLinear, in)));
        else if (space == "xyz" || space == "xyz-d65")
            xyz = in;
        else if (space == "xyz-d50")
            xyz = Mul(M().d50ToD65, in);
        else
            return Fail("color() knows no colour space '" + Short(space) + "'");
        return Done(XyzToSrgb(xyz), args.alpha);
    }
    return Fail(Short(name) + "() is not a colour function");
}

ColorReading Reader::Read() {
    typed_ = Trim(typed_);
    const std::string_view text = typed_;
    if (text.empty()) return Fail("");
    if (text[0] == '#') return ReadHex(text.substr(1));
    if (const auto named = NamedCssColor(text)) return {*named, {}};
    size_t nameEnd = 0;
    while (nameEnd < text.size() && (IsAsciiLetter(text[nameEnd]) || text[nameEnd] == '-'))
        ++nameEnd;
    if (nameEnd < text.size() && text[nameEnd] == '(') {
        if (text.back() != ')') {
            const size_t close = text.find(')');
            return Fail(close == std::string_view::npos ? "the closing ')' is missing"
                                                        : "there is more after the closing ')'");
        }
        // Lower case only here: a long text that is no colour costs no copy.
        lower_ = LowerCopy(text);
        const std::string_view lower = lower_;
        return ReadFunction(lower.substr(0, nameEnd),
                            lower.substr(nameEnd + 1, lower.size() - nameEnd - 2));
    }
    if (std::all_of(text.begin(), text.end(), [](char ch) { return HexValue(ch) >= 0; }))
        return ReadHex(text);
    if (nameEnd < text.size())
        return Fail("it is neither a hex colour, a colour name nor a colour function");
    static constexpr std::string_view kNoFixedColour[] = {
        "currentcolor", "inherit",    "initial",  "unset",       "revert",
        "canvas",       "canvastext", "linktext", "visitedtext", "activetext"};
    if (EqualsNoCase(text, "transparent"))
        return Fail("its alpha is below 1, and a page colour cannot be transparent");
    if (std::any_of(std::begin(kNoFixedColour), std::end(kNoFixedColour),
                    [&](std::string_view name) { return EqualsNoCase(text, name); }))
        return Fail("it names no fixed colour");
    return Fail("no colour has that name");
}
} // namespace

std::optional<uint32_t> NamedCssColor(std::string_view name) {
    if (name.size() > 20) return std::nullopt;
    const std::string lower = LowerCopy(name);
    const auto* end = std::end(kNamedColors);
    const auto* found = std::lower_bound(
        std::begin(kNamedColors), end, lower,
        [](const auto& entry, const std::string& key) { return entry.first < key; });
    if (found == end || found->first != lower) return std::nullopt;
    return found->second;
}

ColorReading ReadCssColor(std::string_view text) {
    return Reader(text).Read();
}
