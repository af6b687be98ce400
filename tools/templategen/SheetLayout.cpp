#include "SheetLayout.h"

#include "ChassisArt.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <map>

namespace templategen {
namespace {

// ZapfDingbats "l" (the filled circle): advance and ink height per em.
constexpr double kDotAdvance = 0.791;
constexpr double kDotInk = 0.722;
// Helvetica: ascent and descent per em, by which a field's single line is
// centred in its box, and the top of "_", 0.075 em below the baseline.
constexpr double kHelveticaAscent = 0.729;
constexpr double kHelveticaDescent = -0.218;
constexpr double kUnderscoreTop = -0.075;
// A field is inset by one point on either side when its text is drawn.
constexpr double kFieldPadding = 1.0;

constexpr double kBoxPadding = 6;
constexpr double kColumnGap = 6;
constexpr double kHeadingHeight = 10;

struct Settings {
    double labelSize = 7;
    double valueSize = 8;
    double notesSize = 7.5;
    double rowHeight = 14;
    double dotToHole = 0.9;
    double barFontSize = 28;
    double barGap = 2;
    double wordSize = 8.5;
    double wordGap = 3;
};

[[noreturn]] void fail(const QString& where, const QString& what) {
    throw LayoutError((where + ": " + what).toStdString());
}

double number(const QJsonObject& o, const char* key, const QString& where, double fallback) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined()) return fallback;
    if (!v.isDouble()) fail(where, QStringLiteral("\"%1\" must be a number").arg(key));
    return v.toDouble();
}

double requiredNumber(const QJsonObject& o, const char* key, const QString& where) {
    if (!o.contains(QLatin1String(key))) fail(where, QStringLiteral("\"%1\" is missing").arg(key));
    return number(o, key, where, 0);
}

QString text(const QJsonObject& o, const char* key, const QString& where) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isString()) fail(where, QStringLiteral("\"%1\" must be a text").arg(key));
    return v.toString();
}

// A list entry; a missing one is an empty list.
QJsonArray list(const QJsonObject& o, const char* key, const QString& where) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined()) return {};
    if (!v.isArray()) fail(where, QStringLiteral("\"%1\" must be a list").arg(key));
    return v.toArray();
}

QRectF rect(const QJsonValue& v, const QString& where) {
    const QJsonArray a = v.toArray();
    if (!v.isArray() || a.size() != 4) fail(where, QStringLiteral("a rectangle is [x, y, width, height]"));
    for (const QJsonValue& n : a) {
        if (!n.isDouble()) fail(where, QStringLiteral("a rectangle is [x, y, width, height]"));
    }
    QRectF r(a[0].toDouble(), a[1].toDouble(), a[2].toDouble(), a[3].toDouble());
    if (r.width() <= 0 || r.height() <= 0) fail(where, QStringLiteral("a rectangle needs a width and a height"));
    return r;
}

QPointF point(const QJsonValue& v, const QString& where) {
    const QJsonArray a = v.toArray();
    if (!v.isArray() || a.size() != 2 || !a[0].isDouble() || !a[1].isDouble()) {
        fail(where, QStringLiteral("a point is [x, y]"));
    }
    return {a[0].toDouble(), a[1].toDouble()};
}

double roundToHalf(double v) { return std::round(v * 2) / 2; }

// Where a single line of Helvetica of the given size stands in a field: its
// baseline, measured up from the bottom edge of the box.
double baselineAboveBottom(double boxHeight, double size) {
    return (boxHeight - (kHelveticaAscent - kHelveticaDescent) * size) / 2 - kHelveticaDescent * size;
}

class Resolver {
public:
    Resolver(SheetLayout& layout, const Settings& s) : m_layout(layout), m_s(s) {}

    void box(const QJsonObject& o, int number) {
        const QString title = o.value(QStringLiteral("title")).toString();
        const QString where = QStringLiteral("box %1 \"%2\"").arg(number).arg(title);
        const QRectF r = rect(o.value(QStringLiteral("rect")), where);
        m_layout.boxes.push_back({title, r});
        const QPointF origin = r.topLeft();
        const QPointF content(r.left() + kBoxPadding, r.top() + m_layout.headerHeight + 3);
        const double rowHeight = templategen::number(o, "rowHeight", where, m_s.rowHeight);

        if (o.contains(QStringLiteral("grid"))) {
            grid(o.value(QStringLiteral("grid")).toObject(), r, content, rowHeight, where + " grid");
        }
        const QJsonArray pictures = list(o, "pictures", where);
        for (int i = 0; i < pictures.size(); ++i) {
            picture(pictures[i].toObject(), origin, where + QStringLiteral(" picture %1").arg(i + 1));
        }
        const QJsonArray markers = list(o, "lengthMarkers", where);
        for (int i = 0; i < markers.size(); ++i) {
            lengthMarker(markers[i].toObject(), where + QStringLiteral(" length marker %1").arg(i + 1));
        }
        const QJsonArray fields = list(o, "fields", where);
        for (int i = 0; i < fields.size(); ++i) {
            freeField(fields[i].toObject(), origin, rowHeight, where + QStringLiteral(" field %1").arg(i + 1));
        }
        const QJsonArray captions = list(o, "captions", where);
        for (int i = 0; i < captions.size(); ++i) {
            caption(captions[i].toObject(), origin, where + QStringLiteral(" caption %1").arg(i + 1));
        }
    }

private:
    // A label on the same line as the value of the field beside it.
    void label(const QString& text, const QRectF& cell, const QRectF& field) {
        if (text.isEmpty()) return;
        TextSpec t{text, TextRole::Label, cell, Qt::AlignLeft, m_s.labelSize};
        t.baseline = field.bottom() - baselineAboveBottom(field.height(), m_s.valueSize);
        m_layout.texts.push_back(t);
    }

    void valueField(const QString& name, const QRectF& r, double size, bool multiline, const QString& where) {
        m_layout.fields.push_back({checkName(name, where), FieldKind::Value, r, size, multiline});
    }

    QString checkName(const QString& name, const QString& where) {
        if (!sheetFieldNames().contains(name)) fail(where, QStringLiteral("\"%1\" is not a sheet field").arg(name));
        return name;
    }

    // Rows of "label, field [, field ...]" cells that fill the box's width.
    void grid(const QJsonObject& g, const QRectF& box, const QPointF& content, double rowHeight, const QString& where) {
        const int columns = static_cast<int>(number(g, "columns", where, 1));
        if (columns < 1) fail(where, QStringLiteral("\"columns\" must be 1 or more"));
        const double labelWidth = requiredNumber(g, "labelWidth", where);
        const double columnWidth = (box.width() - 2 * kBoxPadding - (columns - 1) * kColumnGap) / columns;
        double top = content.y() + number(g, "top", where, 0);

        const QJsonArray headings = list(g, "headings", where);
        const int fieldColumns = headings.isEmpty() ? 1 : static_cast<int>(headings.size());
        const double fieldsWidth = columnWidth - labelWidth;
        if (fieldsWidth < 10) fail(where, QStringLiteral("no room for the fields beside the labels"));
        if (!headings.isEmpty()) {
            for (int c = 0; c < columns; ++c) {
                for (int h = 0; h < fieldColumns; ++h) {
                    const double x =
                        content.x() + c * (columnWidth + kColumnGap) + labelWidth + h * fieldsWidth / fieldColumns;
                    m_layout.texts.push_back({headings[h].toString(), TextRole::Heading,
                                              QRectF(x, top, fieldsWidth / fieldColumns, kHeadingHeight),
                                              Qt::AlignHCenter | Qt::AlignVCenter, m_s.labelSize});
                }
            }
            top += kHeadingHeight;
        }

        const QJsonArray items = list(g, "items", where);
        for (int i = 0; i < items.size(); ++i) {
            const QString itemWhere = where + QStringLiteral(" item %1").arg(i + 1);
            if (items[i].isNull()) continue;  // an empty cell
            const QJsonArray item = items[i].toArray();
            if (item.size() < 2) fail(itemWhere, QStringLiteral("an item is [label, field, ...]"));
            const double x = content.x() + (i % columns) * (columnWidth + kColumnGap);
            const double y = top + (i / columns) * rowHeight;
            const int n = static_cast<int>(item.size()) - 1;
            const double gap = 3;
            const double w = (fieldsWidth - (n - 1) * gap) / n;
            // Values sit on a line at the bottom of the row, at most a row of 14 high.
            const double h = std::min(rowHeight, 14.0) - 2;
            const double fieldTop = y + rowHeight - 1 - h;
            for (int f = 0; f < n; ++f) {
                valueField(item[f + 1].toString(), QRectF(x + labelWidth + f * (w + gap), fieldTop, w, h),
                           m_s.valueSize, false, itemWhere);
            }
            label(item[0].toString(), QRectF(x, y, labelWidth - 2, rowHeight), m_layout.fields.back().rect);
        }
    }

    void picture(const QJsonObject& p, const QPointF& origin, const QString& where) {
        const QString name = text(p, "name", where);
        const vantrel::art::Picture* art = vantrel::art::picture(name.toStdString());
        if (!art) fail(where, QStringLiteral("there is no picture \"%1\"").arg(name));
        const QPointF at = origin + point(p.value(QStringLiteral("at")), where);
        const double scale = p.contains(QStringLiteral("width")) ? number(p, "width", where, 0) / art->width
                                                                 : requiredNumber(p, "height", where) / art->height;
        if (scale <= 0) fail(where, QStringLiteral("the picture needs a size"));
        const QRectF r(at, QSizeF(art->width * scale, art->height * scale));
        m_layout.pictures.push_back(
            {name, QString::fromUtf8(art->resource.data(), static_cast<qsizetype>(art->resource.size())), r});
        m_placed[name] = {art, r, scale};

        // One mark field centred on every hole that the sheet marks; the dot
        // is a little smaller than the hole so its rim still shows.
        const double fontSize = roundToHalf(2 * vantrel::art::kHoleRadius * scale * m_s.dotToHole / kDotInk);
        const double side = kDotAdvance * fontSize + 2 * kFieldPadding;
        for (const vantrel::art::Hole& hole : art->holes) {
            const std::string field = vantrel::art::markField(hole);
            if (field.empty()) continue;
            const QPointF centre = r.topLeft() + QPointF(hole.x, hole.y) * scale;
            m_layout.fields.push_back({checkName(QString::fromStdString(field), where), FieldKind::Mark,
                                       QRectF(centre.x() - side / 2, centre.y() - side / 2, side, side), fontSize,
                                       false});
        }
    }

    // The word "Long" or "Short" under an arm, and under it the field whose
    // "_" draws a bar when that length is chosen.
    void lengthMarker(const QJsonObject& m, const QString& where) {
        const QString pictureName = text(m, "picture", where);
        const auto placed = m_placed.find(pictureName);
        if (placed == m_placed.end())
            fail(where, QStringLiteral("picture \"%1\" is not placed in this box").arg(pictureName));
        const Placed& p = placed->second;
        const QString word = text(m, "word", where);
        const double x = p.rect.left() + requiredNumber(m, "x", where) * p.scale;
        const double top = p.rect.bottom() + m_s.wordGap;
        const double baseline = top + m_s.wordSize * 0.76;
        TextSpec t{word, TextRole::Word, QRectF(x - 30, top, 60, m_s.wordSize * 1.2), Qt::AlignHCenter, m_s.wordSize};
        t.baseline = baseline;
        m_layout.texts.push_back(t);

        // The field is a little taller than the line of its large font, so
        // the bar stays inside it; its box is placed so that the bar, drawn
        // where a centred line puts it, lies just under the word.
        const double s = m_s.barFontSize;
        const double width = 0.556 * s + 2 * kFieldPadding + 4;
        const double height = 1.1 * s;
        const double barTop = baseline + m_s.barGap;
        const double bottom = barTop + baselineAboveBottom(height, s) + kUnderscoreTop * s;
        m_layout.fields.push_back({checkName(text(m, "field", where), where), FieldKind::Bar,
                                   QRectF(x - width / 2, bottom - height, width, height), s, false});
    }

    void freeField(const QJsonObject& f, const QPointF& origin, double rowHeight, const QString& where) {
        QRectF cell = rect(f.value(QStringLiteral("rect")), where).translated(origin);
        const bool multiline = f.value(QStringLiteral("multiline")).toBool();
        const double size = number(f, "size", where, multiline ? m_s.notesSize : m_s.valueSize);
        QRectF labelCell;
        if (f.contains(QStringLiteral("label"))) {
            const double labelWidth = requiredNumber(f, "labelWidth", where);
            labelCell = QRectF(cell.left(), cell.top(), labelWidth - 2, std::min(cell.height(), rowHeight));
            cell.setLeft(cell.left() + labelWidth);
        }
        valueField(text(f, "name", where), multiline ? cell : cell.adjusted(0, 1, 0, -1), size, multiline, where);
        if (!labelCell.isNull()) label(text(f, "label", where), labelCell, m_layout.fields.back().rect);
    }

    void caption(const QJsonObject& c, const QPointF& origin, const QString& where) {
        const QPointF at = origin + point(c.value(QStringLiteral("at")), where);
        const double size = number(c, "size", where, m_s.labelSize);
        m_layout.texts.push_back({text(c, "text", where), TextRole::Caption,
                                  QRectF(at.x() - 60, at.y(), 120, size * 1.4), Qt::AlignHCenter | Qt::AlignVCenter,
                                  size});
    }

    struct Placed {
        const vantrel::art::Picture* art;
        QRectF rect;
        double scale;
    };

    SheetLayout& m_layout;
    const Settings& m_s;
    std::map<QString, Placed> m_placed;
};

}  // namespace

QStringList sheetFieldNames() {
    static const QStringList names = {
#define VANTREL_SHEET_FIELD(name) QStringLiteral(#name),
#include "SheetFields.def"
#undef VANTREL_SHEET_FIELD
    };
    return names;
}

SheetLayout resolveLayout(const QByteArray& json) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        fail(QStringLiteral("offset %1").arg(error.offset), error.errorString());
    }
    if (!doc.isObject()) fail(QStringLiteral("layout"), QStringLiteral("the description must be a JSON object"));
    const QJsonObject root = doc.object();

    SheetLayout layout;
    const QJsonObject page = root.value(QStringLiteral("page")).toObject();
    layout.page = QSizeF(requiredNumber(page, "width", "page"), requiredNumber(page, "height", "page"));
    layout.fontFamily = text(root, "font", QStringLiteral("layout"));

    Settings s;
    s.labelSize = number(root, "labelSize", "layout", s.labelSize);
    s.valueSize = number(root, "valueSize", "layout", s.valueSize);
    s.notesSize = number(root, "notesSize", "layout", s.notesSize);
    s.rowHeight = number(root, "rowHeight", "layout", s.rowHeight);
    s.dotToHole = number(root, "dotToHole", "layout", s.dotToHole);
    const QJsonObject bar = root.value(QStringLiteral("lengthBar")).toObject();
    s.barFontSize = number(bar, "fontSize", "lengthBar", s.barFontSize);
    s.barGap = number(bar, "gap", "lengthBar", s.barGap);
    s.wordSize = number(bar, "wordSize", "lengthBar", s.wordSize);
    s.wordGap = number(bar, "wordGap", "lengthBar", s.wordGap);

    for (const char* key : {"title", "subtitle"}) {
        if (!root.contains(QLatin1String(key))) continue;
        const QJsonObject t = root.value(QLatin1String(key)).toObject();
        const QString where = QLatin1String(key);
        const bool isTitle = QLatin1String(key) == QLatin1String("title");
        layout.texts.push_back({text(t, "text", where), isTitle ? TextRole::Title : TextRole::Subtitle,
                                rect(t.value(QStringLiteral("rect")), where),
                                (isTitle ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter,
                                number(t, "size", where, isTitle ? 18 : 9)});
    }

    Resolver resolver(layout, s);
    const QJsonArray boxes = list(root, "boxes", QStringLiteral("layout"));
    for (int i = 0; i < boxes.size(); ++i) resolver.box(boxes[i].toObject(), i + 1);

    checkFields(layout);
    return layout;
}

SheetLayout loadLayout(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw LayoutError(("cannot open the layout " + path + ": " + file.errorString()).toStdString());
    }
    try {
        return resolveLayout(file.readAll());
    } catch (const LayoutError& e) {
        throw LayoutError(path.toStdString() + ": " + e.what());
    }
}

void checkFields(const SheetLayout& layout) {
    const QRectF page(QPointF(0, 0), layout.page);
    std::map<QString, int> seen;
    for (const FieldSpec& f : layout.fields) {
        if (++seen[f.name] > 1) fail(f.name, QStringLiteral("the field is placed more than once"));
        if (!page.contains(f.rect)) fail(f.name, QStringLiteral("the field lies outside the page"));
    }
    QStringList missing;
    for (const QString& name : sheetFieldNames()) {
        if (!seen.count(name)) missing << name;
    }
    if (!missing.isEmpty()) fail(QStringLiteral("layout"), "fields not placed: " + missing.join(", "));

    for (size_t i = 0; i < layout.fields.size(); ++i) {
        for (size_t j = i + 1; j < layout.fields.size(); ++j) {
            const QRectF overlap = layout.fields[i].rect.intersected(layout.fields[j].rect);
            if (overlap.width() > 0 && overlap.height() > 0) {
                fail(layout.fields[i].name, "the field overlaps " + layout.fields[j].name);
            }
        }
    }
}

}  // namespace templategen
