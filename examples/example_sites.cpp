#include "examples/example_sites.h"

namespace {

ExampleSite ridge() {
    ExampleSite site;
    site.name = QStringLiteral("ridge_site");
    site.title = QStringLiteral("Ridge");
    site.summary = QStringLiteral("Normal faulting: sigma1 steep, sigma3 about 110/05, stress "
                                  "ratio about 0.4; a few data do not fit.");
    site.sigma3 = make_azpl(110, 5);
    site.sigma1_toward = Tvector3{0, 0, -1};
    site.phi = 0.4;
    site.data_seed = 20131129;
    site.states_seed = 42;
    site.tolerance = 30;
    site.groups = {
        // Conjugate normal faults and some oblique planes.
        {'F', 36, {{110, 60}, {290, 62}, {140, 70}, {80, 50}, {300, 75}}, 12, 8, 12},
        {'M', 8, {{280, 48}, {100, 48}}, 10, 10},
        {'L', 8, {{295, 65}, {120, 65}}, 14, 9},
        {'S', 8, {{285, 58}, {105, 58}}, 12, 5},
    };
    return site;
}

// Conjugate vertical strike-slip faults about 30 degrees either side of sigma1, dextral striking
// about 105 and sinistral about 165, and a set of moderately dipping planes with oblique slip.
ExampleSite quarry() {
    ExampleSite site;
    site.name = QStringLiteral("quarry_site");
    site.title = QStringLiteral("Quarry");
    site.summary = QStringLiteral("Strike-slip faulting: sigma1 about 135/04, sigma3 about "
                                  "045/03, sigma2 steep, stress ratio about 0.5; two data do "
                                  "not fit.");
    site.sigma3 = make_azpl(45, 3);
    site.sigma1_toward = azpl_to_vector3(make_azpl(135, 4));
    site.phi = 0.5;
    site.data_seed = 20160521;
    site.states_seed = 7;
    // Tighter than the ridge's: at 30 degrees a hundred states explain every datum that fits,
    // some with sigma1 plunging 35 degrees, since vertical faults hardly tell sigma1 from sigma2.
    site.tolerance = 15;
    site.groups = {
        {'F', 30, {{15, 87}, {255, 86}, {195, 87}, {75, 88}, {200, 60}}, 8, 5, 14},
        {'M', 6, {{15, 85}, {255, 87}}, 8, 10},
        {'L', 5, {{195, 86}, {75, 87}}, 10, 9},
        {'S', 4, {{15, 86}, {255, 87}}, 8, 5},
    };
    return site;
}

} // namespace

std::vector<ExampleSite> example_sites() {
    return {ridge(), quarry()};
}
