#pragma once
// Desenhos da lista de declarações: a situação da entrega ("Transmitida", "Gravada em
// Disquete") e a da consistência ("Não consistida", "Inconsistente", "Consistente"), os
// mesmos na grade e na legenda.
#include <QIcon>
#include <QString>

namespace kov::ui {

// Pelo SITUACAO: "T" transmitida, "D" gravada em disquete; nada nos outros valores.
QIcon DesenhoEntrega(const QString& situacao);
// Pelo STATUS_ID: 0 não consistida, 1 inconsistente, 2 consistente.
QIcon DesenhoConsistencia(int status);

}  // namespace kov::ui
