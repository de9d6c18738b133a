// Reads the report template format (an XML file, described in template-format.md beside this
// file) into the objects of a report.
#pragma once

#include <QByteArray>
#include <QString>

#include "platform/report/reportobjects.h"

namespace report {

// Templates larger than this are refused before parsing.
inline constexpr qsizetype kMaxTemplateBytes = 1024 * 1024;

// Reads a whole template. Any fault (malformed XML, an unknown element or attribute, a missing
// or out-of-range value, undecodable text) fails with an AppError naming fileName and the line.
ReportTemplate ReadTemplate(const QByteArray& bytes, const QString& fileName);

}  // namespace report
