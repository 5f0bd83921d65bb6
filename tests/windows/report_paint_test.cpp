// The report painter on real devices: the font it finds, and a printer given a range of pages.
#include "reports/paint/page_painter.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <QFontInfo>
#include <QPrinter>
#include <gtest/gtest.h>

#include "qt_environment.h"
#include "reports/report_bands.h"
#include "reports/report_layout.h"
#include "reports/report_pages.h"

namespace tarvelo::reports {
namespace {

std::string commandOutput(const std::string& command) {
    const std::string out = test::freshFolder("paint-out") + "/out.txt";
    if (std::system((command + " > '" + out + "' 2>/dev/null").c_str()) != 0) return "(failed: " + command + ")";
    std::ifstream in(out);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(ReportPaint, FontIsArialOrAFaceOfItsMetrics) {
    const QString family = QFontInfo(reportFont(kDetailFont)).family();
    EXPECT_TRUE(family == QStringLiteral("Arial") || family == QStringLiteral("Liberation Sans")) << family.toStdString();
}

TEST(ReportPaint, PrinterGivenARangePrintsThosePagesOnly) {
    // GIVEN a category list of three pages
    ReportPages pages(ReportKind::categoryList);
    for (int i = 0; i < 60; ++i) pages.addBand(categoryBand(Category{"Category " + std::to_string(i), {}}));
    ASSERT_EQ(pages.pageCount(), 3);
    // WHEN pages 2 to 3 go to a printer (printing into a PDF file)
    const std::string pdf = test::freshFolder("paint-printer") + "/printed.pdf";
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    printer.setFullPage(true);
    ASSERT_TRUE(paintPages(printer, pages, 2, 3));
    // THEN the file has those two pages, in order, and no other
    std::istringstream info(commandOutput("pdfinfo '" + pdf + "'"));
    std::string line;
    while (std::getline(info, line) && line.rfind("Pages:", 0) != 0) {
    }
    EXPECT_EQ(std::atoi(line.substr(std::min<std::size_t>(line.size(), 6)).c_str()), 2) << line;
    const std::string text = commandOutput("pdftotext -layout '" + pdf + "' -");
    EXPECT_EQ(text.find("Category 0\n"), std::string::npos) << text;
    const auto second = text.find("Category 26");
    const auto third = text.find("Category 52");
    EXPECT_NE(second, std::string::npos);
    EXPECT_NE(third, std::string::npos);
    EXPECT_LT(second, third);
}

}  // namespace
}  // namespace tarvelo::reports
