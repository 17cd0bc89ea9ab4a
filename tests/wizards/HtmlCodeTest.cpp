// The HTML texts: template layout, escaping and the page name rule, checked through xmllint's HTML
// parser where the question is what a browser reads.
#include "editing/HtmlCode.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Runs xmllint --html --xpath on the text; empty when xmllint is missing.
QString xpath(const QString& html, const QString& expression)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.html"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(html.toUtf8());
    file.close();
    QProcess process;
    process.start(QStringLiteral("xmllint"),
                  {QStringLiteral("--html"), QStringLiteral("--xpath"), expression, path});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

bool haveXmllint()
{
    return !QStandardPaths::findExecutable(QStringLiteral("xmllint")).isEmpty();
}

} // namespace

TEST(HtmlCodeTest, PageTemplateHasHeightBeforeWidthAndCrLfLines)
{
    const QString page = htmlPageText(QStringLiteral("walk.gif"), 80, 120);
    const QStringList lines = page.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 10); // nine lines and the empty rest after the closing CR LF
    EXPECT_EQ(lines[0], "<HTML>");
    EXPECT_EQ(lines[2], "  <META NAME=\"GENERATOR\" CONTENT=\"GIF Reelwright - by Brightwell Software\">");
    EXPECT_EQ(lines[5], "");
    EXPECT_EQ(lines[7], "<IMG SRC=\"walk.gif\" ALT=\"Animated Image\" HEIGHT=\"80\" WIDTH=\"120\">");
    EXPECT_EQ(lines[8], "</BODY></HTML>");
    EXPECT_EQ(lines[9], "");
    EXPECT_FALSE(page.contains(QRegularExpression(QStringLiteral("[^\r]\n"))));
}

TEST(HtmlCodeTest, ImageTagTakesItsSourceFromTheSecondArgument)
{
    EXPECT_EQ(htmlCodeText(QStringLiteral("index.html"), QStringLiteral("walk.gif"), 80, 120, 0),
              "<A HREF=\"index.html\"><IMG SRC=\"walk.gif\" HEIGHT=\"80\" WIDTH=\"120\" BORDER=\"0\"></A>");
    // A query string keeps its '&'; quotes and angle brackets cannot end the attribute.
    EXPECT_EQ(htmlCodeText(QStringLiteral("a.cgi?x=1&y=\"2\""), QStringLiteral("<b>.gif"), 1, 2, 3),
              "<A HREF=\"a.cgi?x=1&y=&quot;2&quot;\"><IMG SRC=\"&lt;b&gt;.gif\" HEIGHT=\"1\" WIDTH=\"2\" "
              "BORDER=\"3\"></A>");
}

TEST(HtmlCodeTest, PagePathActsOnTheFileNamePartOnly)
{
    const struct
    {
        const char* chosen;
        const char* page;
    } cases[] = {
        {"/x/page.htm", "/x/page.html"},
        {"/x/page.html", "/x/page.html"},
        {"/x/page", "/x/page.html"},
        {"/x/my.site/page", "/x/my.site/page.html"},
        {"/x/my.site/page.v2.txt", "/x/my.site/page.v2.html"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(htmlPagePath(QString::fromUtf8(c.chosen)), QString::fromUtf8(c.page)) << c.chosen;
}

TEST(HtmlCodeTest, BrowserParserFindsOneImageWithTheExactSourceAndSize)
{
    if (!haveXmllint())
        GTEST_SKIP() << "xmllint is not installed (scripts/install-deps installs libxml2-utils)";
    const struct
    {
        const char* name;
    } names[] = {{"walk.gif"}, {"a \"quoted\" <b>name</b> & more.gif"}, {"it's.gif"}};
    for (const auto& n : names) {
        const QString name = QString::fromUtf8(n.name);
        const QString page = htmlPageText(name, 80, 120);
        EXPECT_EQ(xpath(page, QStringLiteral("count(//img)")), "1") << n.name;
        EXPECT_EQ(xpath(page, QStringLiteral("string(//img/@src)")), name) << n.name;
        EXPECT_EQ(xpath(page, QStringLiteral("string(//img/@height)")), "80");
        EXPECT_EQ(xpath(page, QStringLiteral("string(//img/@width)")), "120");
        EXPECT_EQ(xpath(page, QStringLiteral("string(//img/@alt)")), "Animated Image");
    }
    const QString tag = htmlCodeText(QStringLiteral("x\"><script>"), QStringLiteral("a\"b<c.gif"), 5, 6, 0);
    EXPECT_EQ(xpath(tag, QStringLiteral("count(//script)")), "0");
    EXPECT_EQ(xpath(tag, QStringLiteral("string(//a/@href)")), "x\"><script>");
    EXPECT_EQ(xpath(tag, QStringLiteral("string(//img/@src)")), "a\"b<c.gif");
}
