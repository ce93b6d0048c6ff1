// SPDX-License-Identifier: MIT
#include "eval/script_component.h"

#include <algorithm>
#include <cstddef>

#include "eval/expression.h"

namespace tavrel::eval {
namespace {

constexpr std::size_t kErrorInfoLimit = 256;

// Returns t cut to at most `limit` bytes without splitting a two-byte character.
std::string_view cut(std::string_view t, std::size_t limit) {
  return t.substr(0, text::whole_characters(t, limit));
}

// Writes the ErrorInfo text for a failed evaluation into info, reusing its storage: "Error: "
// description ", " source text "; in line " line number, cut to 256 bytes. An expression is
// always one line.
void describe_failure(text::Text& info, const char* description, std::string_view expression) {
  std::string_view source = expression.substr(0, expression.find('\0'));  // a text ends at 0
  info.assign("Error: ").append(description).append(", ");
  info.append(cut(source, kErrorInfoLimit)).append("; in line 1");
  info.resize(cut(info, kErrorInfoLimit).size());
}

}  // namespace

ScriptComponent::ScriptComponent(bool engine_available) : m_created(engine_available) {
  if (!m_created) {
    // "脚本组件创建失败,请检查msscript.ocx是否注册!" in GBK
    m_error_info =
        "\xBD\xC5\xB1\xBE\xD7\xE9\xBC\xFE\xB4\xB4\xBD\xA8\xCA\xA7\xB0\xDC,"
        "\xC7\xEB\xBC\xEC\xB2\xE9msscript.ocx\xCA\xC7\xB7\xF1\xD7\xA2\xB2\xE1!";
  }
}

text::Text ScriptComponent::evaluate(std::string_view expression) {
  const std::optional<double> value = evaluate_number(expression);
  return value ? value_text(*value) : text::Text();
}

const text::Text& ScriptComponent::error_info() const {
  if (m_error_description) {
    describe_failure(m_error_info, m_error_description, m_error_source);
    m_error_description = nullptr;
  }
  return m_error_info;
}

std::optional<double> ScriptComponent::evaluate_number(std::string_view expression) {
  if (!m_created) return std::nullopt;
  const Evaluation result = evaluate_expression(expression);
  if (!result.ok) {
    m_error_description = result.error;
    // Only the first 256 bytes can show in the description; one more tells whether a two-byte
    // character ends there.
    m_error_source.assign(expression.substr(0, kErrorInfoLimit + 1));
    return std::nullopt;
  }
  return result.value;
}

}  // namespace tavrel::eval
