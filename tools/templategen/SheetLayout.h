#pragma once
// A setup sheet page resolved from its layout description: what to paint and
// where every form field goes. All positions are in PDF points with the origin
// at the top left of the page, y downwards, as Qt paints; PageGeometry turns
// them into PDF user space in one place.

#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <stdexcept>
#include <vector>

namespace templategen {

class LayoutError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class FieldKind {
    Value,  // a value in Helvetica, one line unless multiline
    Mark,   // "l" in ZapfDingbats, a dot on a hole
    Bar,    // "_" in a large Helvetica, a bar under a word
};

struct FieldSpec {
    QString name;  // sheet field name without the "fld" prefix
    FieldKind kind = FieldKind::Value;
    QRectF rect;  // widget rectangle
    double fontSize = 8;
    bool multiline = false;
};

enum class TextRole { Title, Subtitle, BoxTitle, Label, Heading, Caption, Word };

struct TextSpec {
    QString text;
    TextRole role = TextRole::Label;
    QRectF rect;  // the text is drawn inside, vertically centred
    Qt::Alignment align = Qt::AlignLeft;
    double size = 7;
    double baseline = -1;  // when set, the text stands on this line
};

struct BoxSpec {
    QString title;
    QRectF rect;
};

struct PictureSpec {
    QString name;
    QString resource;
    QRectF rect;  // the picture's viewBox scaled into this rectangle
};

struct SheetLayout {
    QSizeF page;
    QString fontFamily;
    double headerHeight = 12;  // title strip of a box
    std::vector<BoxSpec> boxes;
    std::vector<TextSpec> texts;
    std::vector<PictureSpec> pictures;
    std::vector<FieldSpec> fields;
};

// Reads a layout description (JSON) and resolves it against the chassis
// pictures and the list of sheet fields. Raises LayoutError naming the entry
// at fault when the description is malformed, places a field twice, leaves
// one out, puts one outside the page or on top of another.
SheetLayout loadLayout(const QString& path);
SheetLayout resolveLayout(const QByteArray& json);

// The sheet fields in record order.
QStringList sheetFieldNames();

// Throws LayoutError unless every sheet field is placed exactly once, inside
// the page, with no two widgets overlapping.
void checkFields(const SheetLayout& layout);

}  // namespace templategen
