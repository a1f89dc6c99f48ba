#include "cli/utility.hpp"

#include <boost/tokenizer.hpp>

namespace cli {

std::vector<std::string> tokenize(const std::string& input) {
    const boost::char_separator<char> blank(" ");
    const boost::tokenizer<boost::char_separator<char>> words(input, blank);
    return std::vector<std::string>(words.begin(), words.end());
}

}  // namespace cli
