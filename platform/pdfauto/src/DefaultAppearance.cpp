#include "DefaultAppearance.h"

#include <qpdf/BufferInputSource.hh>
#include <qpdf/QPDFTokenizer.hh>

#include <qpdf/QPDFObjectHandle.hh>

#include <charconv>
#include <cmath>
#include <memory>

namespace pdfauto {

namespace {

bool isNumberToken(const QPDFTokenizer::Token& t) {
    return t.getType() == QPDFTokenizer::tt_integer || t.getType() == QPDFTokenizer::tt_real;
}

bool isColourOperator(const std::string& op) {
    return op == "g" || op == "rg" || op == "k" || op == "G" || op == "RG" || op == "K";
}

}  // namespace

DefaultAppearance DefaultAppearance::parse(std::string_view da) {
    DefaultAppearance out;
    auto input = std::make_shared<BufferInputSource>("default appearance", std::string(da));
    QPDFTokenizer tokenizer;
    tokenizer.allowEOF();
    std::vector<QPDFTokenizer::Token> operands;
    try {
        for (;;) {
            auto token = tokenizer.readToken(input, "default appearance", true);
            const auto type = token.getType();
            if (type == QPDFTokenizer::tt_eof) break;
            if (type == QPDFTokenizer::tt_bad) {
                operands.clear();
                continue;
            }
            if (type != QPDFTokenizer::tt_word) {
                operands.push_back(token);
                continue;
            }
            const std::string& op = token.getValue();
            if (op == "Tf") {
                // Only the well-formed selection counts; a broken one is dropped.
                if (operands.size() >= 2 && operands[operands.size() - 2].getType() == QPDFTokenizer::tt_name &&
                    isNumberToken(operands.back())) {
                    out.m_fontName = operands[operands.size() - 2].getValue().substr(1);
                    // Not stod: the user's locale may write numbers with a decimal comma.
                    const std::string& v = operands.back().getValue();
                    double size = 0;
                    std::from_chars(v.data(), v.data() + v.size(), size);
                    out.m_fontSize = size;
                    out.m_hasFont = true;
                    out.m_ops.push_back({{}, "Tf"});
                }
            } else {
                Operation o;
                for (const auto& t : operands) o.operands.push_back(t.getRawValue());
                o.op = op;
                out.m_ops.push_back(std::move(o));
            }
            operands.clear();
        }
    } catch (const std::exception&) {
        // Whatever was understood before the damage stands.
    }
    if (!std::isfinite(out.m_fontSize) || out.m_fontSize < 0) out.m_fontSize = 0;
    return out;
}

std::string DefaultAppearance::colourOperators() const {
    std::string out;
    for (const auto& o : m_ops) {
        if (!isColourOperator(o.op) || o.op[0] < 'a') continue;  // fill colours only
        if (!out.empty()) out += ' ';
        for (const auto& v : o.operands) out += v + ' ';
        out += o.op;
    }
    return out.empty() ? "0 g" : out;
}

void DefaultAppearance::setFont(std::string name) {
    m_fontName = std::move(name);
    if (!m_hasFont) {
        m_ops.insert(m_ops.begin(), Operation{{}, "Tf"});
        m_hasFont = true;
    }
}

void DefaultAppearance::setFontSize(double size) {
    m_fontSize = size;
    if (!m_hasFont) {
        // A size needs a font to go with; Helvetica is what a new field shows.
        m_fontName = "Helv";
        m_ops.insert(m_ops.begin(), Operation{{}, "Tf"});
        m_hasFont = true;
    }
}

std::string DefaultAppearance::toString() const {
    std::string out;
    for (const auto& o : m_ops) {
        if (!out.empty()) out += ' ';
        if (o.op == "Tf") {
            out += pdfName(m_fontName) + " " + formatNumber(m_fontSize) + " Tf";
            continue;
        }
        for (const auto& v : o.operands) out += v + ' ';
        out += o.op;
    }
    return out;
}

std::string formatNumber(double value) {
    if (!std::isfinite(value)) return "0";
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 2);
    if (ec != std::errc()) return "0";
    // Fixed notation always has the point: trailing zeros, then the point, go.
    while (end > buf && end[-1] == '0') --end;
    if (end > buf && end[-1] == '.') --end;
    std::string_view s(buf, static_cast<std::size_t>(end - buf));
    return s.empty() || s == "-0" ? std::string("0") : std::string(s);
}

std::string slashed(std::string_view name) {
    std::string out;
    out.reserve(name.size() + 1);
    out += '/';
    out += name;
    return out;
}

std::string pdfName(std::string_view name) { return QPDFObjectHandle::newName(slashed(name)).unparse(); }

}  // namespace pdfauto
