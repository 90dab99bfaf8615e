#include "faultinjector.h"

namespace Tolvan {

namespace {

QString withoutLeadingSlash(const QString &path)
{
    qsizetype start = 0;
    while (start < path.size() && path[start] == QLatin1Char('/')) {
        ++start;
    }
    return path.mid(start);
}

} // namespace

void FaultInjector::add(Fault fault)
{
    fault.method = fault.method.toUpper();
    fault.path = withoutLeadingSlash(fault.path);
    m_faults.append(std::move(fault));
}

void FaultInjector::clear()
{
    m_faults.clear();
}

std::optional<FaultInjector::Fault> FaultInjector::take(const QByteArray &method,
                                                        const QString &path)
{
    const QString target = withoutLeadingSlash(path);
    for (qsizetype i = 0; i < m_faults.size(); ++i) {
        Fault &fault = m_faults[i];
        if (fault.path != target || (!fault.method.isEmpty() && fault.method != method)) {
            continue;
        }
        const Fault used = fault;
        if (--fault.count <= 0) {
            m_faults.removeAt(i);
        }
        return used;
    }
    return std::nullopt;
}

} // namespace Tolvan
