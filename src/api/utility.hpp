#pragma once

namespace tarvo {

// Reports of this process's test runs.
class Utility {
public:
    virtual void make_html_test_report() = 0;
    virtual void make_csv_test_report() = 0;
    virtual ~Utility() = default;
};

}  // namespace tarvo
