#pragma once

class QWidget;

// Enter moves to the next control like Tab anywhere in `window`; with the focus on a push
// button it presses the button. Controls that take Enter themselves (an open drop-down list)
// keep it.
void EnterMovesLikeTab(QWidget *window);
