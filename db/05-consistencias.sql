/* Consistências da declaração.

   Cada código descreve um erro apontado pela consistência: mensagem, dica e
   onde o erro é corrigido (FORMULARIO 0 sem navegação, 1 editor da declaração
   na página PAGINA e aba ABA, 2 tela de detalhamento de entradas/saídas
   indicada por ABA). CAMPO é a coluna do campo em questão, quando há uma. */

INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E001', 'GI', 'ENTRADAS', 'VALORCONTABIL',
   'Valor contábil das entradas de outros estados (PRELO) difere do total de valor contábil da GI de entradas.',
   'O total do valor contábil da GI de entradas deve ser igual ao subtotal do valor contábil das entradas de outros estados da PRELO. Verifique a GI de entradas e as entradas de outros estados.',
   '1');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E002', 'GI', 'ENTRADAS', 'BASECALCULO',
   'Base de cálculo das entradas de outros estados (PRELO) difere do total de base de cálculo da GI de entradas.',
   'O total da base de cálculo da GI de entradas deve ser igual ao subtotal da base de cálculo das entradas de outros estados da PRELO. Verifique a GI de entradas e as entradas de outros estados.',
   '1');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E003', 'GI', 'SAIDAS', 'VALORCONTABILCONT',
   'Valor contábil das saídas para outros estados (PRELO) difere do total de valor contábil da GI de saídas.',
   'O total do valor contábil da GI de saídas (para contribuintes e não contribuintes) deve ser igual ao subtotal do valor contábil das saídas para outros estados da PRELO. Verifique a GI de saídas e as saídas para outros estados.',
   '1');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E004', 'GI', 'SAIDAS', 'BASECALCULOCONT',
   'Base de cálculo das saídas para outros estados (PRELO) difere do total de base de cálculo da GI de saídas.',
   'O total da base de cálculo da GI de saídas (para contribuintes e não contribuintes) deve ser igual ao subtotal da base de cálculo das saídas para outros estados da PRELO. Verifique a GI de saídas e as saídas para outros estados.',
   '1');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E005', 'GI', 'ENTRADAS', 'VALORCONTABIL',
   'Entradas de outros estados (PRELO simplificada) diferem do total de valor contábil da GI de entradas.',
   'No regime simplificado com apuração real, o total do valor contábil da GI de entradas deve ser igual ao valor das entradas de outros estados informado na PRELO. Verifique a GI de entradas e as entradas da PRELO.',
   '1');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E006', 'GI', 'SAIDAS', 'VALORCONTABILCONT',
   'Saídas para outros estados (PRELO simplificada) diferem do total de valor contábil da GI de saídas.',
   'No regime simplificado com apuração real, o total do valor contábil da GI de saídas deve ser igual ao valor das saídas para outros estados informado na PRELO. Verifique a GI de saídas e as saídas da PRELO.',
   '1');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E007', 'PRELO', 'SIMPLES_ENTRADAS', 'PRODUTOSAGROP',
   'Valor de produtos agropecuários superior ao valor das entradas do estado (PRELO simplificada).',
   'O valor de produtos agropecuários não pode ser superior ao valor das entradas do estado. Verifique as entradas da PRELO.',
   '1');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E008', 'PRELO', 'DEBCRED_DRO', 'RECEITABRUTA',
   'Receita líquida negativa na Demonstração do Resultado Operacional.',
   'A receita bruta deve ser igual ou superior à soma das devoluções/abatimentos e dos impostos. Verifique a Demonstração do Resultado Operacional.',
   '1');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E009', 'PRELO', 'ENTRADAS_ESTADO', 'PRODUTOSAGROP',
   'Valor de produtos agropecuários superior ao valor contábil das entradas do estado.',
   'O valor de produtos agropecuários/hortifrutigranjeiros não pode ser superior ao subtotal do valor contábil das entradas do estado. Verifique as entradas do estado.',
   '2');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E010', 'PRELO', 'SIMPLES_SAIDAS', 'VCTOTALSIMPLES',
   'Total das saídas simplificadas difere da soma das saídas para o estado, para outros estados e para o exterior.',
   'As saídas simplificadas devem ser iguais à soma das saídas para o estado, para outros estados e para o exterior. Verifique as saídas da PRELO.',
   '1');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E011', 'PRELO', 'SIMPLES_ENTRADAS', 'VCTOTALSIMPLES',
   'Total das entradas simplificadas difere da soma das entradas do estado, de outros estados e do exterior.',
   'As entradas simplificadas devem ser iguais à soma das entradas do estado, de outros estados e do exterior. Verifique as entradas da PRELO.',
   '1');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E012', 'KOV', 'EXCLUSOES', '',
   'Total das exclusões do KOV (entradas e saídas) superior ao valor contábil das prestações de serviço de transporte.',
   'Para o transportador, a soma das exclusões de entrada e de saída não pode ser superior ao valor contábil dos transportes nas saídas para o estado, para outros estados e para o exterior. Verifique as exclusões do KOV e as saídas da PRELO.',
   '1');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E013', 'KOV', 'EXCLUSOES', 'SAITOTAL',
   'Total das exclusões de saída do KOV superior ao valor contábil das saídas da PRELO.',
   'O total das exclusões de saída não pode ser superior ao total do valor contábil das saídas. Verifique as exclusões do KOV e as saídas da PRELO.',
   '1');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E014', 'KOV', 'EXCLUSOES', 'ENTTOTAL',
   'Total das exclusões de entrada do KOV superior ao valor contábil das entradas da PRELO deduzido o valor de produtos agropecuários.',
   'O total das exclusões de entrada não pode ser superior ao total do valor contábil das entradas menos o valor de produtos agropecuários. Verifique as exclusões do KOV e as entradas da PRELO.',
   '1');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E015', 'KOV', 'EXCLUSOES', 'SAITOTAL',
   'Total das exclusões de saída do KOV superior às saídas simplificadas da PRELO.',
   'O total das exclusões de saída não pode ser superior às saídas simplificadas. Verifique as exclusões do KOV e as saídas da PRELO.',
   '1');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E016', 'KOV', 'EXCLUSOES', 'ENTTOTAL',
   'Total das exclusões de entrada do KOV superior às entradas simplificadas da PRELO deduzido o valor de produtos agropecuários.',
   'O total das exclusões de entrada não pode ser superior às entradas simplificadas menos o valor de produtos agropecuários. Verifique as exclusões do KOV e as entradas da PRELO.',
   '1');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E017', 'KOV', 'EXCLUSOES', '',
   'Total das exclusões do KOV (entradas e saídas) superior às saídas simplificadas da PRELO.',
   'Para o transportador, a soma das exclusões de entrada e de saída não pode ser superior às saídas simplificadas. Verifique as exclusões do KOV e as saídas da PRELO.',
   '1');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E018', 'KOV', 'KOV', 'SAIDAS',
   'Saídas do KOV superiores às saídas da PRELO (valor contábil, autuações fiscais/denúncias espontâneas, ajuste de transferências e transporte tomado) deduzidas as exclusões de saída.',
   'Na mudança de município, as saídas do KOV não podem ser superiores às saídas da PRELO deduzidas as exclusões. Verifique as saídas da PRELO e as exclusões do KOV e consista novamente.',
   '1');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E019', 'KOV', 'KOV', 'ENTRADAS',
   'Entradas do KOV superiores às entradas da PRELO (valor contábil, autuações fiscais/denúncias espontâneas e ajuste de transferências) deduzidos os produtos agropecuários e as exclusões de entrada.',
   'Na mudança de município, as entradas do KOV não podem ser superiores às entradas da PRELO deduzidos os produtos agropecuários e as exclusões. Verifique as entradas da PRELO e as exclusões do KOV e consista novamente.',
   '1');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E020', 'KOV', 'KOV', 'OUTRASENTRADAS',
   'Outras entradas do KOV superiores à soma de produtos agropecuários, geração de energia elétrica, transporte tomado, cooperativas e valores do(s) município(s) anterior(es).',
   'Na mudança de município, as outras entradas do KOV não podem ser superiores a essa soma. Verifique os valores informados para o(s) município(s) anterior(es) e consista novamente.',
   '1');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E021', 'KOV', 'KOV', 'OUTRASENTRADAS',
   'Outras entradas do KOV inferiores à soma de produtos agropecuários, geração de energia elétrica, transporte tomado e cooperativas (acrescida, na mudança de município, dos valores do(s) município(s) anterior(es)).',
   'Informe nas outras entradas do KOV um valor igual ou superior a essa soma e detalhe-o por município.',
   '1');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E022', 'KOV', 'KOV', 'OUTRASENTRADAS',
   'Outras entradas do KOV não informadas.',
   'Este tipo de contribuinte deve informar as outras entradas do KOV e detalhá-las por município.',
   '1');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E023', 'KOV', 'KOV', 'SAIDAS',
   'Saídas do KOV superiores às saídas simplificadas da PRELO (com transporte tomado e autuações fiscais/denúncias espontâneas) deduzidas as exclusões de saída.',
   'Na mudança de município, as saídas do KOV não podem ser superiores às saídas simplificadas da PRELO deduzidas as exclusões. Verifique as saídas da PRELO e as exclusões do KOV e consista novamente.',
   '1');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E024', 'KOV', 'KOV', 'ENTRADAS',
   'Entradas do KOV superiores ao limite dado pelas entradas simplificadas da PRELO, pelos produtos agropecuários e pelas exclusões de entrada.',
   'Na mudança de município, as entradas do KOV não podem ser superiores às entradas simplificadas da PRELO ajustadas pelos produtos agropecuários e pelas exclusões. Verifique as entradas da PRELO e as exclusões do KOV e consista novamente.',
   '1');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E025', 'KOV', 'DETALHAMENTO', 'VALOR',
   'Total do detalhamento de outras entradas por município difere do valor de outras entradas do KOV.',
   'A soma dos valores informados no detalhamento de outras entradas por município deve ser igual ao valor de outras entradas do KOV. Verifique o detalhamento por município.',
   '1');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E026', 'PRELO', 'ENTRADAS_ESTADO', '',
   'Entradas do Estado: base de cálculo informada sem valor de ICMS.',
   'Em cada tipo de operação (compra/venda, transferência, devolução, energia elétrica, comunicação, transporte, outras) com base de cálculo informada, o ICMS também deve ser informado. Verifique as entradas do estado.',
   '2');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E027', 'PRELO', 'ENTRADAS_OUTROS', '',
   'Entradas de Outros Estados: base de cálculo informada sem valor de ICMS.',
   'Em cada tipo de operação (compra/venda, transferência, devolução, energia elétrica, comunicação, transporte, outras) com base de cálculo informada, o ICMS também deve ser informado. Verifique as entradas de outros estados.',
   '2');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E028', 'PRELO', 'ENTRADAS_EXTERIOR', '',
   'Entradas do Exterior: base de cálculo informada sem valor de ICMS.',
   'Em cada tipo de operação (compra/venda, transferência, devolução, energia elétrica, comunicação, transporte, outras) com base de cálculo informada, o ICMS também deve ser informado. Verifique as entradas do exterior.',
   '2');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E029', 'PRELO', 'SAIDAS_ESTADO', '',
   'Saídas para o Estado: base de cálculo informada sem valor de ICMS.',
   'Em cada tipo de operação (compra/venda, transferência, devolução, energia elétrica, comunicação, transporte, outras) com base de cálculo informada, o ICMS também deve ser informado. Verifique as saídas para o estado.',
   '2');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E030', 'PRELO', 'SAIDAS_OUTROS', '',
   'Saídas para Outros Estados: base de cálculo informada sem valor de ICMS.',
   'Em cada tipo de operação (compra/venda, transferência, devolução, energia elétrica, comunicação, transporte, outras) com base de cálculo informada, o ICMS também deve ser informado. Verifique as saídas para outros estados.',
   '2');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E031', 'PRELO', 'SAIDAS_EXTERIOR', '',
   'Saídas para o Exterior: base de cálculo informada sem valor de ICMS.',
   'Em cada tipo de operação (compra/venda, transferência, devolução, energia elétrica, comunicação, transporte, outras) com base de cálculo informada, o ICMS também deve ser informado. Verifique as saídas para o exterior.',
   '2');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E032', 'PRELO', 'DEBCRED_SAIDAS', 'COOPERATIVA',
   'Valor de cooperativas superior ao valor contábil das saídas da PRELO.',
   'O valor informado em cooperativas não pode ser superior ao total do valor contábil das saídas. Verifique as saídas da PRELO.',
   '1');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E033', 'PRELO', 'ENTRADAS', 'AJUSTETRANSFERENCIA',
   'Ajuste de transferências das entradas informado sem valor de transferências nas entradas do estado ou de outros estados.',
   'O ajuste de transferências das entradas só pode ser informado quando houver valor contábil de transferências nas entradas do estado ou de outros estados. Verifique as entradas da PRELO.',
   '1');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E034', 'PRELO', 'DEBCRED_SAIDAS', 'AJUSTETRANSFERENCIA',
   'Ajuste de transferências das saídas informado sem valor de transferências nas saídas para o estado ou para outros estados.',
   'O ajuste de transferências das saídas só pode ser informado quando houver valor contábil de transferências nas saídas para o estado ou para outros estados. Verifique as saídas da PRELO.',
   '1');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E035', 'KOV', 'KOV', 'OUTRASENTRADAS',
   'Outras entradas do KOV inferiores à soma de produtos agropecuários, geração de energia elétrica, transporte tomado e cooperativas (acrescida, na mudança de município, dos valores do(s) município(s) anterior(es)) - regime simplificado.',
   'Informe nas outras entradas do KOV um valor igual ou superior a essa soma e detalhe-o por município.',
   '1');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E036', 'DOCUMENTO', 'MUDANCAMUNICIPIO', '',
   'Declaração com mudança de município sem valores informados para o(s) município(s) anterior(es).',
   'Informe, na mudança de município, o valor que pertence a cada município anterior, ou desmarque a mudança de município na declaração.',
   '1');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E037', '00', '00', '00',
   'Responsável (cadastro de contribuintes) não foi informado.',
   'Acessar o cadastro do contribuinte e selecionar um responsável pelos documentos.',
   '0');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E038', '00', '00', '00',
   'CNAEF imcompatível com o período de referência informado no documento.',
   'Certifique-se que o exercício informado nos parâmetros do sistema está correto e que a CNAEF/CNAE no cadastro de contribuinte esteja informada corretamente.',
   '0');
INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) VALUES
  ('E039', 'DOCUMENTO', 'MUDANCAMUNICIPIO', '',
   'Existe um conflito de períodos na declaração.',
   'Certifique-se que não existe(m) outra(s) declaração(ôes) cujo período ("Mês Inicial" e "Mês Final") apresenta conflito no mesmo intervalo da declaração atual.',
   '1');

COMMIT;
