#pragma once

#include <QByteArrayView>
#include <QString>

// Takes bytes as one kept entry of tree changes, as a damaged base or another program could
// leave it, and checks what must hold for any input: the entry decodes or is refused as
// damage; the changes of what decodes are carried out on a small tree, each fitting or
// refused; and the tree file written from the result with the entry's view state reads back
// with as many branches. Returns what went wrong, or an empty string. Shared by the fuzz
// target and the test that replays its corpus.
QString checkTreeJournalInput(QByteArrayView bytes);
