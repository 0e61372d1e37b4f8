#include <gtest/gtest.h>
#include "uScreenEllipse.h"
#include "uScreenFreehand.h"
#include "uScreenBitmap.h"
#include "uScreenText.h"

TEST(ShapeConstruction, Links) {
  TScreenEllipse e;
  TScreenFreehand f;
  TScreenBitmap b;
  TScreenText t;
  SUCCEED();
}
