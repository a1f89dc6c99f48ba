#include "core/reporter/html_generation.hpp"

namespace tarvo {
namespace core {

namespace {
void write_flushed(std::ostream& out, const std::string& text) {
    out << text;
    out.flush();
}
}  // namespace

void write_init_html(std::ostream& out) { write_flushed(out, "<!DOCTYPE html><html><body>"); }

void write_head(std::ostream& out, const std::string& stylesheet) {
    write_flushed(out, "<head>\n<link rel=\"stylesheet\" href=\"" + stylesheet + "\">\n");
}

void write_charset_html(std::ostream& out, const std::string& charset) {
    write_flushed(out, "<meta charset=\"" + charset + "\">");
}

void write_title_html(std::ostream& out, const std::string& title) {
    write_flushed(out, "<title>" + title + "</title>");
}

void write_end_head_html(std::ostream& out) { write_flushed(out, "</head>\n"); }

void write_h1_html(std::ostream& out, const std::string& what) {
    write_flushed(out, "<h1>" + what + "</h1>");
}

void write_h2_html(std::ostream& out, const std::string& what) {
    write_flushed(out, "<h2>" + what + "</h2>");
}

void write_h3_html(std::ostream& out, const std::string& what) {
    write_flushed(out, "<h3>" + what + "</h3>");
}

void write_p_html(std::ostream& out, const std::string& what) {
    write_flushed(out, "<p>" + what + "</p>");
}

void write_img_html(std::ostream& out, const std::string& src, const std::string& alt) {
    write_flushed(out, "<img src=\"" + src + "\" alt=\"" + alt + "\" />");
}

void write_end_html(std::ostream& out) { write_flushed(out, "</body></html>"); }

void write_table_html(std::ostream& out, const std::vector<std::string>& headers,
                      const std::vector<std::vector<std::string>>& rows) {
    out << "<table><tr>";
    for (const auto& header : headers) {
        out << "<th>" << header << "</th>";
    }
    out << "</tr>";
    for (const auto& row : rows) {
        out << "<tr>";
        for (const auto& cell : row) {
            out << "<td>" << cell << "</td>";
        }
        out << "</tr>";
    }
    write_flushed(out, "</table>");
}

std::string html_escape(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '"': escaped += "&quot;"; break;
            default: escaped += c; break;
        }
    }
    return escaped;
}

}  // namespace core
}  // namespace tarvo
