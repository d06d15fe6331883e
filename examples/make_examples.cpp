// Makes the bundled example data: for each made-up site of example_sites.cpp, faults that slipped
// under one stress state, with measurement noise and a few outliers, and an inversion result of
// them: candidate stress states spread over all orientations, each with the number of data it
// explains as its fitness. Fixed seeds: every run writes the same files.
// Usage: quomtel-make-examples OUTPUT_FOLDER [NUMBER_OF_STATES]

#include "core/math_operations.h"
#include "core/text_file.h"
#include "examples/example_sites.h"

#include <QCoreApplication>
#include <QDir>
#include <QString>
#include <QStringList>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>
#include <utility>
#include <vector>

namespace {

struct Stress {
    Tvector3 e1, e2, e3;
    double phi;
};

Stress site_stress(const ExampleSite& site) {
    Stress s;
    s.e3 = azpl_to_vector3(site.sigma3);
    const Tvector3 toward = site.sigma1_toward;
    s.e1 = normalize3(subtract3(toward, scale3(dot_product3(toward, s.e3), s.e3)));
    s.e2 = cross_product3(s.e1, s.e3);
    s.phi = site.phi;
    return s;
}

// Slip of the hanging wall: opposite to the shear traction on the upward normal n.
Tvector3 theoretical_slip(const Stress& s, const Tvector3& n) {
    const double c1 = dot_product3(s.e1, n), c2 = dot_product3(s.e2, n);
    const Tvector3 t = add3(scale3(float(c1), s.e1), scale3(float(c2 * s.phi), s.e2));
    const Tvector3 tau = subtract3(t, scale3(dot_product3(t, n), n));
    return negate3(normalize3(tau));
}

// Rotates the unit vector v within the plane of normal n by the angle a (degrees).
Tvector3 turn_in_plane(const Tvector3& v, const Tvector3& n, double a) {
    const Tvector3 w = cross_product3(n, v);
    const double r = a * deg_to_rad;
    return normalize3(add3(scale3(float(std::cos(r)), v), scale3(float(std::sin(r)), w)));
}

// Dip-slip sense for a lineation plunging more than about 12 degrees, strike-slip sense otherwise.
char sense_of(const Tvector3& v, const Tvector3& n) {
    const Tvector3 b = cross_product3(n, v);
    if (std::abs(v.z) > 0.2f)
        return v.z < 0 ? 'N' : 'R';
    return b.z > 0 ? 'S' : 'D';
}

QString orientation(const Tazpl& a) {
    return QString::asprintf("%03.0f %02.0f", double(a.az), double(a.pl));
}

class Random {
public:
    explicit Random(unsigned seed) : rng_(seed) {}

    // A plane around the given dip direction and dip, with its upward normal.
    Tvector3 plane(double dipdir, double dip, double spread, Tazpl& out) {
        std::normal_distribution<double> noise(0, spread);
        // The dip's noise first: the committed files were drawn in this order.
        const double dip_noise = noise(rng_) / 2, dipdir_noise = noise(rng_);
        double dd = dipdir + dipdir_noise, d = dip + dip_noise;
        if (d > 90) { // past vertical: the plane dips the other way
            d = 180 - d;
            dd += 180;
        }
        out = make_azpl(float(std::fmod(dd + 360, 360)), float(std::clamp(d, 5.0, 89.0)));
        return to_upper_hemisphere(azpl_to_vector3(plane_to_pole(out)));
    }
    double noise(double spread) { return std::normal_distribution<double>(0, spread)(rng_); }
    double uniform(double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(rng_);
    }

private:
    std::mt19937 rng_;
};

// The angle between two unit vectors, degrees.
double angle_between(const Tvector3& a, const Tvector3& b) {
    return std::acos(std::clamp(double(dot_product3(a, b)), -1.0, 1.0)) * rad_to_deg;
}

struct Datum {
    char kind;
    std::vector<Tvector3> n, v; // alternatives: normal (upward) and slip
};

Datum datum_of(const QString& line) {
    const QStringList t = line.split(u' ', Qt::SkipEmptyParts);
    Datum d{t[0][0].toLatin1(), {}, {}};
    const Tvector3 n = to_upper_hemisphere(
        azpl_to_vector3(plane_to_pole(make_azpl(t[1].toFloat(), t[2].toFloat()))));
    auto slip = [&](int at) {
        Tvector3 v = azpl_to_vector3(make_azpl(t[at].toFloat(), t[at + 1].toFloat()));
        const char sense = t[at + 2][0].toLatin1();
        const Tvector3 b = cross_product3(n, v);
        if ((sense == 'N' && v.z > 0) || (sense == 'R' && v.z < 0) || (sense == 'S' && b.z < 0) ||
            (sense == 'D' && b.z > 0))
            v = negate3(v);
        return v;
    };
    d.n.push_back(n);
    d.v.push_back(slip(3));
    if (d.kind == 'M') { // the auxiliary plane: normal and slip exchanged
        d.n.push_back(d.v[0].z < 0 ? negate3(d.v[0]) : d.v[0]);
        d.v.push_back(d.v[0].z < 0 ? negate3(n) : n);
    }
    for (int at = 7; d.kind == 'S' && at + 2 < t.size(); at += 4) {
        d.n.push_back(n);
        d.v.push_back(slip(at));
    }
    return d;
}

// Whether the stress state explains the datum: slip within the tolerance (degrees) of the
// predicted one (a lineation either way), or, for a sense-only datum, slip within 90 degrees of
// every candidate.
bool explains(const Stress& s, const Datum& d, double tolerance) {
    switch (d.kind) {
    case 'M':
        return std::min(angle_between(d.v[0], theoretical_slip(s, d.n[0])),
                        angle_between(d.v[1], theoretical_slip(s, d.n[1]))) < tolerance;
    case 'L': {
        const double a = angle_between(d.v[0], theoretical_slip(s, d.n[0]));
        return std::min(a, 180 - a) < tolerance;
    }
    case 'S':
        for (size_t i = 0; i < d.v.size(); ++i)
            if (angle_between(d.v[i], theoretical_slip(s, d.n[i])) > 90)
                return false;
        return true;
    default:
        return angle_between(d.v[0], theoretical_slip(s, d.n[0])) < tolerance;
    }
}

// Trend, plunge and sense of the slip v on the plane of normal n; lineations have no sense.
QString slip_text(char kind, const Tvector3& v, const Tvector3& n) {
    const QChar sense = kind == 'L' ? u'U' : QChar::fromLatin1(sense_of(v, n));
    return orientation(vector3_to_azpl_lower(v)) + u' ' + sense;
}

QStringList fault_data(const ExampleSite& description) {
    const Stress stress = site_stress(description);
    Random site(description.data_seed);
    QStringList lines = {
        QStringLiteral("# Example fault-slip data, made up for Quomtel: site \"") +
            description.title + QStringLiteral("\"."),
        QStringLiteral("# Kind, dip direction, dip, trend, plunge, sense (F full, M focal, "
                       "L lineation only, S sense only)."),
        QStringLiteral("# ") + description.summary};
    for (const ExampleDataGroup& group : description.groups)
        for (int i = 0; i < group.count; ++i) {
            const auto& set = group.sets[size_t(i) % group.sets.size()];
            Tazpl p;
            const Tvector3 n = site.plane(set[0], set[1], group.plane_spread, p);
            if (group.kind == 'S') { // sense known, slip only bracketed by two directions
                const Tvector3 v = theoretical_slip(stress, n);
                const Tvector3 a = turn_in_plane(v, n, 35 + site.noise(group.slip_noise));
                const Tvector3 b = turn_in_plane(v, n, -35 + site.noise(group.slip_noise));
                lines.append(QStringLiteral("S ") + orientation(p) + u' ' + slip_text('S', a, n) +
                             QStringLiteral(" & ") + slip_text('S', b, n));
                continue;
            }
            Tvector3 v =
                turn_in_plane(theoretical_slip(stress, n), n, site.noise(group.slip_noise));
            if (group.outlier_every > 0 && i % group.outlier_every == group.outlier_every - 1)
                v = turn_in_plane(v, n, site.uniform(70, 150)); // far from the predicted slip
            lines.append(QChar::fromLatin1(group.kind) + u' ' + orientation(p) + u' ' +
                         slip_text(group.kind, v, n));
        }
    return lines;
}

// The inversion result and its CGP file of candidate states.
void inversion_result(const ExampleSite& description, const QStringList& fault_data, int states,
                      QStringList& result, QStringList& cgp) {
    QStringList data;
    std::vector<Datum> parsed;
    for (const QString& line : fault_data)
        if (!line.startsWith(u'#')) {
            data.append(line);
            parsed.push_back(datum_of(line));
        }
    result.append(QString::number(data.size()));
    result.append(data);
    result.append(QString::number(states));
    result.append(QString::number(states));
    result.append(description.name + QStringLiteral(".cgp"));

    Random site(description.states_seed);
    cgp.append(QString::number(states) + QStringLiteral(" stress states"));
    for (int i = 1; i <= states; ++i) {
        // Uniform over the sphere for sigma1, then sigma3 anywhere perpendicular to it.
        const double z = site.uniform(-1, 0), a = site.uniform(0, 2 * std::numbers::pi);
        const double r = std::sqrt(1 - z * z);
        Stress s;
        s.e1 = make_vector3(float(r * std::sin(a)), float(r * std::cos(a)), float(z));
        const Tvector3 any = std::abs(s.e1.z) < 0.9f ? Tvector3{0, 0, 1} : Tvector3{1, 0, 0};
        const Tvector3 p = normalize3(cross_product3(s.e1, any));
        const Tvector3 q = cross_product3(s.e1, p);
        const double t = site.uniform(0, 2 * std::numbers::pi);
        s.e3 = normalize3(add3(scale3(float(std::cos(t)), p), scale3(float(std::sin(t)), q)));
        s.e2 = cross_product3(s.e1, s.e3);
        s.phi = site.uniform(0, 1);
        int fitness = 0;
        for (const Datum& d : parsed)
            fitness += explains(s, d, description.tolerance);
        const Tazpl a1 = vector3_to_azpl_lower(s.e1), a3 = vector3_to_azpl_lower(s.e3);
        cgp.append(QString::asprintf("%6.1f %5.1f %6.1f %5.1f %6.4f", double(a1.az), double(a1.pl),
                                     double(a3.az), double(a3.pl), s.phi));
        result.append(QString::number(i) + u' ' + QString::number(fitness));
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const QDir folder(args.size() > 1 ? args[1] : QStringLiteral("."));
    const int states = args.size() > 2 ? args[2].toInt() : 20000;
    for (const ExampleSite& site : example_sites()) {
        const QStringList data = fault_data(site);
        QStringList result, cgp;
        inversion_result(site, data, states, result, cgp);
        const std::pair<QString, const QStringList*> files[] = {
            {site.name + QStringLiteral(".efd"), &data},
            {site.name + QStringLiteral(".tlv"), &result},
            {site.name + QStringLiteral(".cgp"), &cgp}};
        for (const auto& [name, lines] : files) {
            QString error;
            const QString path = folder.filePath(name);
            if (!write_text_lines(path, *lines, &error)) {
                std::fprintf(stderr, "%s\n", qPrintable(error));
                return 1;
            }
            std::printf("%s\n", qPrintable(path));
        }
    }
    return 0;
}
