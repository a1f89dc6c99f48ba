#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tarvo {
namespace core {

// Each helper writes its text as given, unescaped, then flushes.
void write_init_html(std::ostream& out);
void write_head(std::ostream& out, const std::string& stylesheet);
void write_charset_html(std::ostream& out, const std::string& charset);
void write_title_html(std::ostream& out, const std::string& title);
void write_end_head_html(std::ostream& out);
void write_h1_html(std::ostream& out, const std::string& what);
void write_h2_html(std::ostream& out, const std::string& what);
void write_h3_html(std::ostream& out, const std::string& what);
void write_p_html(std::ostream& out, const std::string& what);
void write_img_html(std::ostream& out, const std::string& src, const std::string& alt);
void write_end_html(std::ostream& out);
void write_table_html(std::ostream& out, const std::vector<std::string>& headers,
                      const std::vector<std::vector<std::string>>& rows);

// text with &, <, > and " replaced by their character references, for
// report texts that must show as text.
std::string html_escape(const std::string& text);

}  // namespace core
}  // namespace tarvo
