#pragma once

#include <QByteArray>

#include "core/views/report_html.h"

namespace orvendi {

// The report as a PDF: the first page holds the title, the picture, the figures of each run and
// their plots, drawn by the same canvas code as the HTML page; the design's keys follow.
QByteArray ReportPdf(const ReportInputs& inputs);

}  // namespace orvendi
