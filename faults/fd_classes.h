#pragma once

// Fault-slip data in memory: a data set owns its data, a datum owns its alternatives.

#include "core/math_operations.h"

#include <QChar>

#include <vector>

// Sense of slip; the value names are the letters files and lists use.
enum class TSense { N, R, S, D, H, U };

// Kind of a fault datum; lists and files write the first letter of the name.
enum class TDataType { Ful, Mec, Lin, Sen };

QChar sense_letter(TSense sense);
QChar datatype_letter(TDataType type);
// N, R, S, D, H or U in either case; any other character is U.
TSense sense_from_letter(QChar letter);

// One alternative: a plane with one possible slip on it.
struct TSlipData {
    Tazpl Pazpl; // plane: dip direction, dip
    Tazpl Lazpl; // slip lineation: trend, plunge (as read)
    TSense sense = TSense::U;
    Tvector3 v;       // slip direction, oriented by the sense rule
    Tvector3 b;       // n x v
    Tvector3 n;       // upward unit normal of the plane
    Tazpl Lazpl_theo; // theoretical slip direction, lower hemisphere
    Tvector3 v_theo;
    float misfit_angle = 0;
    float d_to_Fry_arc = 0;
    float normal_stress = 0;
    float shear_stress = 0;
    Tvector5 ee; // dyad_to_vector5(v, n)
    Tvector5 ep; // dyad_to_vector5(b, n)
};

// One fault datum: its alternatives in the order they were made.
class TFaultData {
public:
    TDataType datatype = TDataType::Ful;
    std::vector<TSlipData> SDList;
    int rep_isd = -1; // representative alternative, set by the compatibility analysis
    float rep_misfit = -1.0f;

    void clear_SD() { SDList.clear(); }
    // Only meaningful once an analysis has set rep_isd.
    float get_rep_normal_stress() const { return SDList.at(rep_isd).normal_stress; }
    float get_rep_shear_stress() const { return SDList.at(rep_isd).shear_stress; }
};

// The data of one file, in file order; the position of a datum is its identity.
class TFaultDataSet {
public:
    std::vector<TFaultData> FDList;

    int count() const { return static_cast<int>(FDList.size()); }
    void clear_FD() { FDList.clear(); }
};

// Fills v, b, n, ee and ep from Pazpl, Lazpl and sense.
void compose_slip_data_vectors(TSlipData& sd);
// The second alternative of a Mec datum: the roles of normal and slip exchanged.
TSlipData compose_second_nodal_plane(const TSlipData& first);
TSense sense_from_vectors(Tvector3 v, Tvector3 b, Tvector3 n);
