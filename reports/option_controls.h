// The controls the report options windows share, each bound to a choice of the window's own
// options (never to a global): the order's radio buttons, a check box, and a limit chosen from a
// reference file.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "runtime/file_drop.h"
#include "runtime/record.h"

class QBoxLayout;
class QGridLayout;
class QWidget;

namespace rt {
class FileManager;
}

namespace reports {

// One radio button per order in `into`, the one equal to `order` checked; choosing one stores it.
void addOrderChoice(QWidget *owner, QBoxLayout *into, const std::vector<const char *> &orders, std::string &order,
                    const char *tip = nullptr);
// A check box showing `on` and storing it.
void addOptionCheck(QWidget *owner, QBoxLayout *into, const char *text, const char *tip, bool &on);
// The prompt and a drop list of `field` in `key` order in a row of `grid`, with no row chosen (no
// limit); choosing a row stores its value in `value`. The list is kept in `drops`.
rt::FileDrop *addLimitList(QWidget *owner, QGridLayout *grid, int row, const char *prompt, rt::FileManager &manager,
                           const rt::KeyDef *key, const char *field, std::string &value,
                           std::vector<std::unique_ptr<rt::FileDrop>> &drops);

}  // namespace reports
