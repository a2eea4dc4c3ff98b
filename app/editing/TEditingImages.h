// The images of the command-file editors, drawn in code: the page images of the command-file
// window's tree, the object images shared by every object list, and the wizard's pictures.
#pragma once

#include <QIcon>
#include <QPixmap>

class QPainter;
class QRect;

namespace tavil {

// Image i (0 … 10) of the page tree: 0 the root, 1 Connection, 2 … 8 the seven object pages,
// 9 Formatting Options, 10 Advanced Options. A null icon outside that range.
QIcon PageImage(int index);

// Image of an object kind (0 tables … 6 user-defined functions); a null icon outside that range.
QIcon ObjectImage(int kind);

// The picture beside the wizard's first and last steps, painted into a box of any height, and
// the small one of its header.
void PaintWizardPicture(QPainter& painter, const QRect& box);
QPixmap WizardHeaderPicture();

}  // namespace tavil
