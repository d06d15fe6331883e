#include "plot/model_faults.h"

#include "stress/compatibility.h"

void build_model_faults(TFaultDataSet& model, const TStressTensor& stress, TProjection projection,
                        const TBaseCircle& circle) {
    const TStressTensor st = stress;
    model.clear_FD();
    for (int i = 0; i <= 20; ++i) {
        for (int j = 0; j <= 20; ++j) {
            const QPoint p(50 * i, 50 * j);
            const long long dx = p.x() - circle.C.x(), dy = p.y() - circle.C.y();
            if (dx * dx + dy * dy >= (long long)circle.R * circle.R)
                continue; // only points strictly inside the net
            TSlipData s;
            s.n = azpl_to_vector3(point_to_azpl(p, projection, circle)); // the plane's pole
            s.Pazpl = pole_to_plane(vector3_to_azpl(s.n));
            s.n = to_upper_hemisphere(s.n);
            s.v = theoretical_slip(st.sg, s.n).v_theo;
            s.Lazpl = vector3_to_azpl_lower(s.v);
            s.b = cross_product3(s.n, s.v);
            s.sense = model_sense_from_vectors(s.v, s.b, s.n);
            TFaultData fd;
            fd.datatype = TDataType::Ful;
            fd.SDList.push_back(s);
            model.FDList.push_back(std::move(fd));
        }
    }
}
