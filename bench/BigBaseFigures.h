#pragma once

#include <QFile>
#include <QString>
#include <QTextStream>
#include <algorithm>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

// What the big-base benchmarks note round by round: every sample of every figure, by figure and
// base, printed at the end as a table of medians followed by the ratios the targets name.
namespace big_bases {

inline std::map<std::string, std::map<std::string, std::vector<double>>>& samples() {
    static std::map<std::string, std::map<std::string, std::vector<double>>> all;
    return all;
}

inline void note(const std::string& figure, const char* base, double value) {
    samples()[figure][base].push_back(value);
}

inline double medianOf(const std::string& figure, const char* base) {
    std::vector<double> values = samples()[figure][base];
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The process's resident size, from the kernel's own count.
inline double residentMB() {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').front().toDouble() / 1024.0;
        }
    }
    return 0;
}

// The medians of every figure noted, a column per base.
inline void printMedians(QTextStream& out, std::initializer_list<const char*> bases) {
    out << "\nMedians (ms, MB) by base:\n"
        << QStringLiteral("%1").arg(QStringLiteral("figure"), -24);
    for (const char* base : bases) {
        out << QStringLiteral("%1").arg(QLatin1String(base), 15);
    }
    out << '\n';
    for (const auto& [figure, byBase] : samples()) {
        out << QStringLiteral("%1").arg(QString::fromStdString(figure), -24);
        for (const char* base : bases) {
            out << QStringLiteral("%1").arg(byBase.count(base)
                                                ? QString::number(medianOf(figure, base), 'f', 1)
                                                : QStringLiteral("-"),
                                            15);
        }
        out << '\n';
    }
    out << "\nRatios:\n";
}

inline void printRatio(QTextStream& out, const char* what, double a, double b) {
    out << QStringLiteral("%1 %2\n")
               .arg(QLatin1String(what), -58)
               .arg(b > 0 ? a / b : 0, 0, 'f', 2);
}

} // namespace big_bases
