#include "resources/Resources.h"

#include <QFile>
#include <gtest/gtest.h>

namespace tolvane {
namespace {

// A complete PDF starts with its header and ends with the end-of-file
// marker; a typesetting run that failed half-way leaves no trailer.
TEST(Manual, IsACompletePdfDocument) {
    QFile f(res::kManualPath);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray pdf = f.readAll();
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_TRUE(pdf.trimmed().endsWith("%%EOF"));
    EXPECT_GT(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page "), 5);
}

} // namespace
} // namespace tolvane
