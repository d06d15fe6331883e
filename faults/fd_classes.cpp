#include "faults/fd_classes.h"

#include "core/string_operations.h"

namespace {

constexpr char sense_letters[] = "NRSDHU";
constexpr char datatype_letters[] = "FMLS";

} // namespace

QChar sense_letter(TSense sense) {
    return QChar::fromLatin1(sense_letters[static_cast<int>(sense)]);
}

QChar datatype_letter(TDataType type) {
    return QChar::fromLatin1(datatype_letters[static_cast<int>(type)]);
}

TSense sense_from_letter(QChar letter) {
    switch (ascii_upper(letter).unicode()) {
    case 'N':
        return TSense::N;
    case 'R':
        return TSense::R;
    case 'S':
        return TSense::S;
    case 'D':
        return TSense::D;
    case 'H':
        return TSense::H;
    default:
        return TSense::U;
    }
}

void compose_slip_data_vectors(TSlipData& sd) {
    const Tazpl pole = plane_to_pole(sd.Pazpl);
    sd.v = azpl_to_vector3(sd.Lazpl);
    sd.n = to_upper_hemisphere(azpl_to_vector3(pole));
    sd.b = cross_product3(sd.n, sd.v);

    // The sense turns v (and b with it) so that the hanging wall moves the stated way.
    bool flip = false;
    switch (sd.sense) {
    case TSense::N:
        flip = sd.v.z > 0;
        break;
    case TSense::R:
        flip = sd.v.z < 0;
        break;
    case TSense::S:
        flip = sd.b.z < 0;
        break;
    case TSense::D:
        flip = sd.b.z > 0;
        break;
    case TSense::H:
    case TSense::U:
        break;
    }
    if (flip) {
        sd.v = negate3(sd.v);
        sd.b = negate3(sd.b);
    }
    sd.ee = dyad_to_vector5(sd.v, sd.n);
    sd.ep = dyad_to_vector5(sd.b, sd.n);
}

TSlipData compose_second_nodal_plane(const TSlipData& first) {
    TSlipData sd;
    sd.v = first.n;
    sd.b = first.b;
    sd.n = first.v;
    if (sd.n.z < 0) {
        sd.v = negate3(sd.v);
        sd.b = negate3(sd.b);
        sd.n = negate3(sd.n);
    }
    sd.Pazpl = pole_to_plane(vector3_to_azpl_lower(sd.n));
    sd.Lazpl = vector3_to_azpl_lower(sd.v);
    sd.sense = sense_from_vectors(sd.v, sd.b, sd.n);
    sd.ee = dyad_to_vector5(sd.v, sd.n);
    sd.ep = dyad_to_vector5(sd.b, sd.n);
    return sd;
}

TSense sense_from_vectors(Tvector3 v, Tvector3 b, Tvector3 n) {
    if (n.z < 0) {
        v = negate3(v);
        b = negate3(b);
    }
    if (v.z < 0)
        return TSense::N;
    if (v.z > 0)
        return TSense::R;
    if (b.z > 0)
        return TSense::S;
    if (b.z < 0)
        return TSense::D;
    return TSense::H;
}
