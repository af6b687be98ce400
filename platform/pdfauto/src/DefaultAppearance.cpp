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
    std::string s(buf, end);
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    if (s == "-0" || s.empty()) s = "0";
    return s;
}

std::string pdfName(std::string_view name) {
    return QPDFObjectHandle::newName("/" + std::string(name)).unparse();
}

}  // namespace pdfauto
