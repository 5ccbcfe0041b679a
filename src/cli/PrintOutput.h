#pragma once
// What the drawing commands that write printed pages share (cutfill-map as
// PDF, report): the fonts' application, the pages' heading and the PDF bytes.

#include "Options.h"
#include "print/PrintDocument.h"

#include <QByteArray>
#include <QGuiApplication>

#include <memory>
#include <string>

namespace nivora::cli {

// Text needs the platform's fonts: a GUI application on the offscreen
// platform unless another is asked for; none when one exists already.
std::unique_ptr<QGuiApplication> NeedGuiApplication();
// The heading of printed pages: the input file's name, today's date and the
// separator of --locale.
TPrintHeading PrintHeading(const TArgs& a);
// The pages as PDF bytes; TOutputError naming `path` when they cannot be made.
QByteArray PdfBytes(TPrintDocument& document, const std::string& path, int* pages = nullptr);

}  // namespace nivora::cli
