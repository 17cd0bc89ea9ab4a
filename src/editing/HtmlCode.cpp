#include "editing/HtmlCode.h"

#include <QFileInfo>

QString htmlEscapeAttribute(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'"')
            result += QLatin1String("&quot;");
        else if (c == u'<')
            result += QLatin1String("&lt;");
        else if (c == u'>')
            result += QLatin1String("&gt;");
        else
            result += c;
    }
    return result;
}

QString htmlEscapeFileName(const QString& fileName)
{
    QString result;
    result.reserve(fileName.size());
    for (const QChar c : fileName) {
        switch (c.unicode()) {
        case u'&':
            result += QLatin1String("&amp;");
            break;
        case u'"':
            result += QLatin1String("&quot;");
            break;
        case u'<':
            result += QLatin1String("&lt;");
            break;
        case u'>':
            result += QLatin1String("&gt;");
            break;
        case u'\'':
            result += QLatin1String("&#39;");
            break;
        case u'%':
            result += QLatin1String("%25");
            break;
        case u'#':
            result += QLatin1String("%23");
            break;
        case u'?':
            result += QLatin1String("%3F");
            break;
        default:
            result += c;
            break;
        }
    }
    return result;
}

QString htmlCodeText(const QString& url, const QString& source, int height, int width, int border)
{
    return QStringLiteral("<A HREF=\"%1\"><IMG SRC=\"%2\" HEIGHT=\"%3\" WIDTH=\"%4\" BORDER=\"%5\"></A>")
        .arg(htmlEscapeAttribute(url), htmlEscapeAttribute(source), QString::number(height),
             QString::number(width), QString::number(border));
}

QString htmlPageText(const QString& imageFileName, int height, int width)
{
    const QString crlf = QStringLiteral("\r\n");
    QString page;
    page += QStringLiteral("<HTML>") + crlf;
    page += QStringLiteral("<HEAD>") + crlf;
    page +=
        QStringLiteral("  <META NAME=\"GENERATOR\" CONTENT=\"GIF Reelwright - by Brightwell Software\">") +
        crlf;
    page += QStringLiteral("  <TITLE></TITLE>") + crlf;
    page += QStringLiteral("</HEAD>") + crlf;
    page += crlf;
    page += QStringLiteral("<BODY BGCOLOR=\"#FFFFFF\">") + crlf;
    page += QStringLiteral("<IMG SRC=\"%1\" ALT=\"Animated Image\" HEIGHT=\"%2\" WIDTH=\"%3\">")
                .arg(htmlEscapeFileName(imageFileName), QString::number(height), QString::number(width)) +
            crlf;
    page += QStringLiteral("</BODY></HTML>");
    return page + crlf;
}

QString htmlPagePath(const QString& chosenPath)
{
    const int slash = chosenPath.lastIndexOf(u'/');
    const int dot = chosenPath.lastIndexOf(u'.');
    const QString stem = dot > slash ? chosenPath.left(dot) : chosenPath;
    return stem + QStringLiteral(".html");
}
