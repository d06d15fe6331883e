#include "bench/bench_data.h"

#include "core/math_operations.h"

#include <QFile>

#include <fstream>
#include <random>
#include <string>

namespace {

QByteArray number(double v, int decimals) {
    return QByteArray::number(v, 'f', decimals);
}

} // namespace

QByteArray mixed_fault_data(int count) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> az(0, 360), pl(0, 90);
    QByteArray text = "# generated fault-slip data\r\n";
    text.reserve(qsizetype(count) * 32);
    for (int i = 0; i < count; ++i) {
        const char kind = "FMLS"[i % 4];
        text += kind;
        text += ' ' + number(az(rng), 1) + ' ' + number(pl(rng), 1) + ' ' + number(az(rng), 1) +
                ' ' + number(pl(rng), 1) + ' ' + "NRSDHU"[i % 6];
        if (kind == 'S')
            text += " & " + number(az(rng), 1) + ' ' + number(pl(rng), 1) + " D";
        text += "\r\n";
    }
    return text;
}

QByteArray cgp_text(int states, unsigned seed) {
    std::mt19937 rng(seed);
    std::normal_distribution<double> gauss;
    std::uniform_real_distribution<double> ratio(0, 1);
    QByteArray text = QByteArray::number(states) + " candidate stress states\r\n";
    text.reserve(qsizetype(states) * 34);
    for (int i = 0; i < states; ++i) {
        const Tvector3 a = normalize3(make_vector3(gauss(rng), gauss(rng), gauss(rng)));
        const Tvector3 r = make_vector3(gauss(rng), gauss(rng), gauss(rng));
        const Tvector3 b = normalize3(subtract3(r, scale3(dot_product3(r, a), a)));
        const Tazpl s1 = vector3_to_azpl_lower(a), s3 = vector3_to_azpl_lower(b);
        text += number(s1.az, 1) + ' ' + number(s1.pl, 1) + ' ' + number(s3.az, 1) + ' ' +
                number(s3.pl, 1) + ' ' + number(ratio(rng), 4) + "\r\n";
    }
    return text;
}

QByteArray result_text(int data, int states, unsigned seed, int top_fitness) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> az(0, 360), pl(0, 90);
    std::uniform_int_distribution<int> fitness(0, top_fitness);
    QByteArray text = QByteArray::number(data) + "\r\n";
    for (int i = 0; i < data; ++i)
        text += "FMLS"[i % 4] + (' ' + number(az(rng), 1)) + ' ' + number(pl(rng), 1) + ' ' +
                number(az(rng), 1) + ' ' + number(pl(rng), 1) + ' ' + "NRSDHU"[i % 6] +
                (i % 4 == 3 ? " & " + number(az(rng), 1) + ' ' + number(pl(rng), 1) + " D" : "") +
                "\r\n";
    text += QByteArray::number(states) + "\r\n" + QByteArray::number(states) + "\r\nbench.cgp\r\n";
    for (int i = 1; i <= states; ++i)
        text += QByteArray::number(i) + ' ' + QByteArray::number(fitness(rng)) + "\r\n";
    return text;
}

bool write_file(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

double peak_memory_mb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0; // kB
    return 0;
}

void reset_peak_memory() {
    std::ofstream("/proc/self/clear_refs") << "5"; // Linux: the peak starts again from now
}
