#include "screens/tutorial/Dialog8.h"

namespace lumo {

namespace {

namespace colors = draw::colors;

struct PanelLine {
  int x;
  int y;
  draw::Color colour;
  const char* text;
};

// The body of the explanation panel, in the order it is written.
constexpr PanelLine kPanelLines[] = {
    {20, 50, colors::black, "ポイントソースを利用して再構成フィルタの"},
    {20, 70, colors::black, "効果を確認します。"},
    {20, 100, colors::blue, "操作方法"},
    {20, 120, colors::black, "１）１pointまたは２pointボタンを選択します。"},
    {20, 140, colors::black, "２）ｻﾝﾌﾟﾘﾝｸﾞ角度を入力します。"},
    {20, 160, colors::black, "３）Ｘ座標およびＹ座標、カウントを入力します。"},
    {20, 180, colors::black, "　　(Ｘ座標およびＹ座標は127以下、カウント"},
    {20, 200, colors::black, "　　　　　　　　　は100以下の値を入力します。)"},
    {20, 220, colors::black, "４）ＯＮボタンをクリックします。"},
    {20, 240, colors::black, "５）削除ボタンで像が消えます。"},
    {5, 270, colors::black, "右上段は単純にポイントソースを逆投影したもので"},
    {5, 290, colors::black, "下段は再構成フィルタ（Ramp)で処理した像です。"},
    {20, 320, colors::black, "(単純)逆投影・・・1point , 2point"},
    {20, 340, colors::black, "(Ramp)逆投影・・・1point*Ramp , 2point*Ramp"},
    {30, 360, colors::red, "単純な逆投影では像はボケていますが"},
    {30, 380, colors::red, "Ｒａｍｐフィルタ使用時の像は中心部が"},
    {30, 400, colors::red, "明瞭に観察できます。。"},
};

void drawPanelBorder(draw::Surface& s) {
  s.moveTo(0, 0);
  s.lineTo(0, 430);
  s.moveTo(0, 0);
  s.lineTo(260, 0);
  s.moveTo(0, 430);
  s.lineTo(260, 430);
  s.moveTo(260, 0);
  s.lineTo(260, 430);
}

}  // namespace

Handlers CDialog8::handlers() {
  Handlers h = PointSourceScreen::handlers();
  h[1020] = [this] { OnExplain(); };
  h[1011] = [this] { OnNext(); };
  h[1021] = [this] { OnBack(); };
  h[1030] = [this] { OnCancelToMenu(); };
  return h;
}

void CDialog8::OnExplain() {
  blankImageFrames();

  draw::Surface panel = frame(1024);
  panel.fillClient(colors::silver);
  panel.setBkColor(colors::silver);
  drawPanelBorder(panel);

  panel.setFont(18);
  panel.setTextColor(colors::red);
  panel.textOut(40, 20, "ポイントソースで確認");

  panel.setFont(12);
  for (const PanelLine& line : kPanelLines) {
    panel.setTextColor(line.colour);
    panel.textOut(line.x, line.y, line.text);
  }
}

void CDialog8::OnNext() { transferTo("CDialog9"); }
void CDialog8::OnBack() { transferTo("CDialog7"); }
void CDialog8::OnCancelToMenu() { transferTo("CDialog1"); }

}  // namespace lumo
