// SPDX-License-Identifier: MIT
// The fixed object names of the main window and its controls, kept in one place so that a
// renamed control breaks the build rather than a lookup at run time.
#pragma once

namespace tavrel::window::names {

inline constexpr char kWindow[] = "窗口";
inline constexpr char kScript[] = "脚本组件2";
inline constexpr char kLink[] = "超级链接框1";
inline constexpr char kDecimals[] = "编辑框3";
inline constexpr char kDecimalsCaption[] = "标签1";
inline constexpr char kDecimalsSymbol[] = "图片框1";
inline constexpr char kDecimalsPanel[] = "图片框2";
inline constexpr char kCopy[] = "按钮2";
inline constexpr char kHeading[] = "标签2";
inline constexpr char kResult[] = "编辑框2";
inline constexpr char kCalculate[] = "按钮1";
inline constexpr char kInput[] = "编辑框1";

}  // namespace tavrel::window::names
