#include "QARCollecRoot.h"

QARCollecRoot::~QARCollecRoot() = default;
