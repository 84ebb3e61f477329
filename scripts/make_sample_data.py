#!/usr/bin/env python3
"""Writes the starter bases and the sample documents in data/ from the readable tables beside it.

    scripts/make_sample_data.py           write data/orvo-base.lst, data/local-base.lst, data/samples/*.rla
    scripts/make_sample_data.py --check   write nothing; exit 1 when a file in data/ differs from what
                                          would be written, or when the tables do not fit together

Inputs: scripts/sample_acts_orvo.txt and scripts/sample_acts_local.txt (the acts), the dictionaries
data/orvo-types.txt, data/orvo-bodies.txt, data/local-types.txt, data/local-bodies.txt (every type and
body of an act must be a value there, byte for byte, or a recognised value would never find the
act), and the sample texts below. The output is the same on every run: no dates of today, no
randomness, lines ended by CR LF.
"""

import re
import sys
import textwrap
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
DATA = ROOT / "data"
SCRIPTS = ROOT / "scripts"

FIRST_ORVO_NUMBER = 100001
MARKER = "\x04\x04"
LINE_WIDTH = 66  # tag and marker lines
NAME_WIDTH = 70  # name lines of the list files

ORVO_TYPES = {
    "КОНСТ": "КОНСТИТУЦИЯ",
    "ФКЗ": "ФЕДЕРАЛЬНЫЙ КОНСТИТУЦИОННЫЙ ЗАКОН",
    "ФЗ": "ФЕДЕРАЛЬНЫЙ ЗАКОН",
    "ЗАКОН": "ЗАКОН",
    "КОДЕКС": "КОДЕКС",
    "УКАЗ": "УКАЗ",
    "ПОСТ": "ПОСТАНОВЛЕНИЕ",
    "РАСП": "РАСПОРЯЖЕНИЕ",
    "ПРИКАЗ": "ПРИКАЗ",
}
ORVO_BODIES = {
    "ГД": "ГОСУДАРСТВЕННАЯ ДУМА ФС РФ",
    "ВС": "ВЕРХОВНЫЙ СОВЕТ РФ",
    "ВГ": "ВСЕНАРОДНОЕ ГОЛОСОВАНИЕ",
    "ПРЕЗ": "ПРЕЗИДЕНТ РФ",
    "ПРАВ": "ПРАВИТЕЛЬСТВО РФ",
    "СОВМИН": "СОВЕТ МИНИСТРОВ - ПРАВИТЕЛЬСТВО РФ",
    "МИНФИН": "МИНФИН РОССИИ",
    "МИНЗДРАВ": "МИНЗДРАВ РОССИИ",
    "МИНЗДРАВСОЦ": "МИНЗДРАВСОЦРАЗВИТИЯ РОССИИ",
    "МИНТРУД": "МИНТРУД РОССИИ",
    "МИНОБРАЗОВАНИЯ": "МИНОБРАЗОВАНИЯ РОССИИ",
    "МИНОБРНАУКИ": "МИНОБРНАУКИ РОССИИ",
    "МИНПРОСВЕЩЕНИЯ": "МИНПРОСВЕЩЕНИЯ РОССИИ",
    "МИНЭКОНОМРАЗВИТИЯ": "МИНЭКОНОМРАЗВИТИЯ РОССИИ",
    "ГОСКОМСТАТ": "ГОСКОМСТАТ РОССИИ",
    "РОСРЕЕСТР": "РОСРЕЕСТР",
    "ГЕНПРОКУРАТУРА": "ГЕНПРОКУРАТУРА РОССИИ",
    "МВД": "МВД РОССИИ",
    "МЧС": "МЧС РОССИИ",
    "МИНЮСТ": "МИНЮСТ РОССИИ",
    "ФСБ": "ФСБ РОССИИ",
    "ФСКН": "ФСКН РОССИИ",
}
LOCAL_TYPES = {
    "ЗАКОН": "ЗАКОН",
    "УСТАВ": "УСТАВ",
    "УКАЗ": "УКАЗ",
    "ПОСТ": "ПОСТАНОВЛЕНИЕ",
    "РАСП": "РАСПОРЯЖЕНИЕ",
    "ПРИКАЗ": "ПРИКАЗ",
}
LOCAL_BODIES = {
    "ДУМА": "СЕВЕРО-ОЗЕРСКАЯ ОБЛАСТНАЯ ДУМА",
    "ГУБ": "ГУБЕРНАТОР СЕВЕРО-ОЗЕРСКОЙ ОБЛАСТИ",
    "ПРАВ": "ПРАВИТЕЛЬСТВО СЕВЕРО-ОЗЕРСКОЙ ОБЛАСТИ",
    "МИНФИН": "МИНИСТЕРСТВО ФИНАНСОВ СЕВЕРО-ОЗЕРСКОЙ ОБЛАСТИ",
    "МИНОБР": "МИНИСТЕРСТВО ОБРАЗОВАНИЯ СЕВЕРО-ОЗЕРСКОЙ ОБЛАСТИ",
    "МИНЗДРАВ": "МИНИСТЕРСТВО ЗДРАВООХРАНЕНИЯ СЕВЕРО-ОЗЕРСКОЙ ОБЛАСТИ",
    "МИНСОЦ": "МИНИСТЕРСТВО СОЦИАЛЬНОЙ ЗАЩИТЫ НАСЕЛЕНИЯ СЕВЕРО-ОЗЕРСКОЙ ОБЛАСТИ",
    "МИНЭК": "МИНИСТЕРСТВО ЭКОНОМИЧЕСКОГО РАЗВИТИЯ СЕВЕРО-ОЗЕРСКОЙ ОБЛАСТИ",
}

DATE_RE = re.compile(r"^(\d\d)\.(\d\d)\.(\d{4})$")


class DataError(Exception):
    pass


def check_date(text, where):
    m = DATE_RE.match(text)
    if not m:
        raise DataError(f"{where}: not a date dd.mm.yyyy: {text!r}")
    day, month, year = (int(g) for g in m.groups())
    import datetime

    try:
        datetime.date(year, month, day)
    except ValueError:
        raise DataError(f"{where}: no such day: {text}")
    return (year, month, day)


class Act:
    def __init__(self, number_in_base, types, bodies, date, numbers, title, edition):
        self.number_in_base = number_in_base
        self.types = types
        self.bodies = bodies
        self.date = date
        self.numbers = numbers
        self.title = title
        self.edition = edition


def table_rows(path):
    for lineno, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        if not line.strip() or line.startswith("#"):
            continue
        yield f"{path.name}:{lineno}", [f.strip() for f in line.split("|")]


def split_list(field):
    return [x.strip() for x in field.split(";") if x.strip()]


def read_acts(path, types, bodies, explicit_numbers):
    acts = []
    next_number = FIRST_ORVO_NUMBER
    for where, fields in table_rows(path):
        if explicit_numbers:
            if not fields or not fields[0].isdigit():
                raise DataError(f"{where}: the line must begin with the number in base")
            number_in_base = int(fields.pop(0))
        else:
            number_in_base = next_number
            next_number += 1
        if len(fields) not in (5, 6):
            raise DataError(f"{where}: expected 5 or 6 fields, got {len(fields)}")
        type_key, body_field, date, number_field, title = fields[:5]
        edition = fields[5] if len(fields) == 6 else None
        if type_key not in types:
            raise DataError(f"{where}: unknown type {type_key}")
        body_keys = split_list(body_field)
        for key in body_keys:
            if key not in bodies:
                raise DataError(f"{where}: unknown body {key}")
        numbers = split_list(number_field)
        if numbers and len(numbers) != len(body_keys):
            raise DataError(f"{where}: a joint act needs one number per body")
        adopted = check_date(date, where)
        if edition is not None and check_date(edition, where) < adopted:
            raise DataError(f"{where}: edition before adoption")
        if not title:
            raise DataError(f"{where}: no title")
        acts.append(Act(number_in_base, [types[type_key]], [bodies[k] for k in body_keys], date, numbers, title, edition))
    seen = set()
    for act in acts:
        if act.number_in_base in seen:
            raise DataError(f"{path.name}: number in base {act.number_in_base} given twice")
        seen.add(act.number_in_base)
    return acts


def dictionary_values(path):
    """The values of a types or bodies text file, as the tool stores them (upper case, single blanks)."""
    values = set()
    for line in path.read_text(encoding="utf-8").splitlines():
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        values.add(" ".join(line.split(";")[0].split()).upper())
    return values


def check_values(acts, kind, values, file_name):
    for act in acts:
        for value in getattr(act, kind):
            if value not in values:
                raise DataError(f"{value} ({act.number_in_base}) is not a value of {file_name}")


def list_file(acts):
    """A list file: the sections of each record in their fixed order, records separated by "$$"."""
    lines = []
    for act in acts:
        lines.append("$0  НОМЕР В БАЗЕ")
        lines.append(str(act.number_in_base))
        if act.edition:
            lines.append(act.edition)
        lines.append("$5  ВИД ДОКУМЕНТА")
        lines.extend(act.types)
        lines.append("$4  ПРИНЯВШИЙ ОРГАН")
        lines.extend(act.bodies)
        lines.append("$6  ДАТА ПРИНЯТИЯ")
        lines.append(act.date)
        lines.append("$7  НОМЕР")
        lines.extend(act.numbers)
        lines.append("$9  НАЗВАНИЕ ДОКУМЕНТА")
        lines.extend(textwrap.wrap(act.title, NAME_WIDTH, break_long_words=False, break_on_hyphens=False))
        lines.append("")
        lines.append("$$")
    return lines


# ---------------------------------------------------------------------------------------------
# Sample documents.
#
# A sample is its header fields and its text. In the text, a line that starts with "@" is an
# instruction:
#   @marker WORD            a 66-character marker line (ЗАГ, КОН, ЛЕВ, !!!)
#   @orvo NUMBER DATE       an inter-base tag line to the Orvo act with this number and adoption
#                           date (the latest edition when the base holds several)
#   @local CODE BASENUMBER  an intra-base tag line with this link kind to a local act
#   @table NAME             the table NAME of the sample, drawn with single-line frame characters
# Every other line is text as it stands.

SAMPLES = {}

SAMPLES["zakon-21-oz.rla"] = dict(
    header=[
        ("$0  Номер в базе", ["2016"]),
        ("$5  Вид документа", ["ЗАКОН"]),
        ("$4  Принявший орган", ["СЕВЕРО-ОЗЕРСКАЯ ОБЛАСТНАЯ ДУМА"]),
        ("$6  Дата принятия", ["16.04.2024", ""]),
        ("$7  Номер", ["21-ОЗ"]),
        ("$9  Название документа", ["О ГОСУДАРСТВЕННОЙ ГРАЖДАНСКОЙ СЛУЖБЕ СЕВЕРО-ОЗЕРСКОЙ ОБЛАСТИ", ""]),
        ("$17  Редакция от", ["16.04.2024"]),
    ],
    text="""\
@marker ЗАГ
                                 ЗАКОН
                        СЕВЕРО-ОЗЕРСКОЙ ОБЛАСТИ

      О ГОСУДАРСТВЕННОЙ ГРАЖДАНСКОЙ СЛУЖБЕ СЕВЕРО-ОЗЕРСКОЙ ОБЛАСТИ

                                                   Принят
                                   Северо-Озерской областной Думой
                                        16 апреля 2024 года
@marker КОН

    Настоящий Закон в соответствии с Федеральным законом от 27 мая 2003
года N 58-ФЗ "О системе государственной службы Российской Федерации"
устанавливает правовые и организационные основы государственной
гражданской службы Северо-Озерской области.

    Статья 1. Правовая основа гражданской службы

    1. Правовую основу государственной гражданской службы Северо-Озерской
области (далее - гражданская служба) составляют Конституция Российской
Федерации, принятая всенародным голосованием 12 декабря 1993 года.

    2. Наряду с актами, названными в части 1 настоящей статьи, правовую
основу гражданской службы составляют Устав Северо-Озерской области и
иные нормативные правовые акты Северо-Озерской области.

    3. Особенности правового положения гражданских служащих
@orvo 79-ФЗ 27.07.2004
Северо-Озерской области определяются Федеральным законом от 27 июля
2004 года N 79-ФЗ "О государственной гражданской службе Российской
Федерации".

    Статья 2. Должности гражданской службы

    1. Должности гражданской службы учреждаются Законом Северо-Озерской
области от 20 декабря 2005 года N 96-ОЗ "О Реестре должностей
государственной гражданской службы Северо-Озерской области".

    2. Перечень должностей, при замещении которых гражданские служащие
обязаны представлять сведения о своих доходах, об имуществе и
обязательствах имущественного характера, определяется с учетом Указа
Президента Российской Федерации от 18.05.2009 N 557.

    Статья 3. Классные чины гражданской службы

    1. Гражданским служащим присваиваются классные чины гражданской
службы Северо-Озерской области в соответствии с замещаемой должностью
в пределах группы должностей гражданской службы:

@table chiny

    2. Классные чины присваиваются в порядке, установленном Указом
Президента Российской Федерации от 1 февраля 2005 года N 113.

    Статья 4. Поступление на гражданскую службу

    1. Поступление на гражданскую службу осуществляется по результатам
конкурса, проводимого в соответствии с Положением о конкурсе на
замещение вакантной должности государственной гражданской службы
Северо-Озерской области, утвержденным Указом Губернатора Северо-Озерской
области от 15.03.2006 N 31.
@marker ЛЕВ
    Примечание. О конкурсе на замещение вакантной должности федеральной
государственной гражданской службы см. Указ Президента Российской
Федерации от 01.02.2005 N 112.
@marker !!!

    2. Персональные данные гражданского служащего обрабатываются с
соблюдением требований Федерального закона от 27.07.2006 N 152-ФЗ
"О персональных данных".

    Статья 5. Противодействие коррупции на гражданской службе

    Гражданский служащий обязан соблюдать ограничения и запреты,
исполнять обязанности, установленные Федеральным законом от 25 декабря
2008 года N 273-ФЗ "О противодействии коррупции".

    Статья 6. Гарантии и денежное содержание

    Денежное содержание гражданского служащего выплачивается за счет
средств областного бюджета, предусмотренных Законом Северо-Озерской
области от 20.12.2023 N 118-ОЗ "Об областном бюджете на 2024 год и на
плановый период 2025 и 2026 годов".

    Статья 7. Признание утратившими силу

    Признать утратившими силу:
@local ПОТ 2003
    Закон Северо-Озерской области от 14.11.2005 N 87-ОЗ "О государственной
гражданской службе Северо-Озерской области";

    статью 1 Закона Северо-Озерской области от 12.12.2022 N 131-ОЗ
"О внесении изменений в отдельные законодательные акты Северо-Озерской
области по вопросам государственной гражданской службы".

    Статья 8. Вступление в силу настоящего Закона

    Настоящий Закон вступает в силу через десять дней после его
официального опубликования.

                                                      Губернатор
                                                Северо-Озерской области
                                                        А.В.Ладогин
16 апреля 2024 года
N 21-ОЗ
""",
    tables={
        "chiny": (
            [26, 40],
            [["Группа должностей", "Классный чин"]],
            [
                ["Высшая", "действительный государственный советник Северо-Озерской области 1, 2 или 3 класса"],
                ["Главная", "государственный советник Северо-Озерской области 1, 2 или 3 класса"],
                ["Ведущая", "советник государственной гражданской службы Северо-Озерской области 1, 2 или 3 класса"],
                ["Старшая", "референт государственной гражданской службы Северо-Озерской области 1, 2 или 3 класса"],
                ["Младшая", "секретарь государственной гражданской службы Северо-Озерской области 1, 2 или 3 класса"],
            ],
        )
    },
)

SAMPLES["ukaz-14.rla"] = dict(
    header=[
        ("$0  Номер в базе", ["2028"]),
        ("$5  Вид документа", ["УКАЗ"]),
        ("$4  Принявший орган", ["ГУБЕРНАТОР СЕВЕРО-ОЗЕРСКОЙ ОБЛАСТИ"]),
        ("$6  Дата принятия", ["05.02.2024", ""]),
        ("$7  Номер", ["14"]),
        ("$9  Название документа", ["О КОМИССИИ ПО КООРДИНАЦИИ РАБОТЫ ПО ПРОТИВОДЕЙСТВИЮ КОРРУПЦИИ", "В СЕВЕРО-ОЗЕРСКОЙ ОБЛАСТИ", ""]),
        ("$17  Редакция от", ["05.02.2024"]),
    ],
    text="""\
@marker ЗАГ
                       ГУБЕРНАТОР СЕВЕРО-ОЗЕРСКОЙ ОБЛАСТИ

                                  УКАЗ
                       от 5 февраля 2024 г. N 14

             О КОМИССИИ ПО КООРДИНАЦИИ РАБОТЫ ПО ПРОТИВОДЕЙСТВИЮ
                     КОРРУПЦИИ В СЕВЕРО-ОЗЕРСКОЙ ОБЛАСТИ
@marker КОН

    В соответствии с Указом Президента Российской Федерации от 15.07.2015
N 364 "О мерах по совершенствованию организации деятельности в области
противодействия коррупции" постановляю:

    1. Образовать комиссию по координации работы по противодействию
коррупции в Северо-Озерской области.

    2. Утвердить Положение о комиссии по координации работы по
противодействию коррупции в Северо-Озерской области (приложение).

    3. Контроль за исполнением настоящего Указа оставляю за собой.

    4. Признать утратившим силу Указ Губернатора Северо-Озерской области
от 20.10.2008 N 152 "О комиссии по координации работы по
противодействию коррупции в Северо-Озерской области".

                                                      Губернатор
                                                Северо-Озерской области
                                                        А.В.Ладогин

                                                          Приложение
                                                           к Указу
                                                          Губернатора
                                                Северо-Озерской области
                                              от 5 февраля 2024 г. N 14

                                 ПОЛОЖЕНИЕ
              О КОМИССИИ ПО КООРДИНАЦИИ РАБОТЫ ПО ПРОТИВОДЕЙСТВИЮ
                      КОРРУПЦИИ В СЕВЕРО-ОЗЕРСКОЙ ОБЛАСТИ

    1. Комиссия по координации работы по противодействию коррупции в
Северо-Озерской области (далее - комиссия) является постоянно
действующим координационным органом при Губернаторе Северо-Озерской
области.

    2. Правовую основу деятельности комиссии составляют Конституция
Российской Федерации, федеральные конституционные законы, федеральные
@orvo 273-ФЗ 25.12.2008
законы, в том числе Федеральный закон от 25 декабря 2008 г. N 273-ФЗ
"О противодействии коррупции", указы Президента Российской Федерации.

    3. Комиссия руководствуется также Уставом Северо-Озерской области,
@local РЕД 2007
Законом Северо-Озерской области от 11.11.2008 N 104-ОЗ "О противодействии
коррупции в Северо-Озерской области" и настоящим Положением.

    4. Основными задачами комиссии являются:

    а) обеспечение исполнения решений Совета при Президенте Российской
Федерации по противодействию коррупции и его президиума;

    б) подготовка предложений о реализации в Северо-Озерской области
Национального плана противодействия коррупции на 2021 - 2024 годы,
утвержденного Указом Президента Российской Федерации от 16.08.2021
N 478;

    в) обеспечение координации деятельности исполнительных органов
Северо-Озерской области по реализации Программы противодействия
коррупции в Северо-Озерской области на 2021 - 2024 годы, утвержденной
Указом Губернатора Северо-Озерской области от 30.09.2021 N 97.

    5. Комиссия рассматривает сведения о коррупционных преступлениях,
учтенных в порядке, установленном приказом Генпрокуратуры России N 39,
МВД России N 1070, МЧС России N 1021, Минюста России N 253, ФСБ России
N 780, Минэкономразвития России N 353, ФСКН России N 399 от 29.12.2005
"О едином учете преступлений".

    6. Заседания комиссии проводятся не реже одного раза в квартал в
соответствии с планом, который утверждается председателем комиссии.

    7. Состав комиссии:

@table sostav

    8. Комиссия ежегодно до 1 марта готовит доклад о деятельности по
противодействию коррупции и с учетом рекомендаций, утвержденных
постановлением Правительства Северо-Озерской области, размещает его на
официальном сайте Правительства Северо-Озерской области.
@marker ЛЕВ
    Примечание. Комиссии по соблюдению требований к служебному поведению
образуются в соответствии с Указом Президента Российской Федерации от
01.07.2010 N 821.
@marker !!!

    9. Протоколы заседаний комиссии хранятся в соответствии с
Федеральным законом от 22 октября 2004 г. N 125-ФЗ "Об архивном деле в
Российской Федерации".
""",
    tables={
        "sostav": (
            [30, 36],
            [["Должность в комиссии", "Должность по основному месту работы"]],
            [
                ["Председатель комиссии", "Губернатор Северо-Озерской области"],
                ["Заместитель председателя комиссии", "первый заместитель Председателя Правительства Северо-Озерской области"],
                ["Секретарь комиссии", "начальник управления по профилактике коррупционных правонарушений"],
                ["Члены комиссии", "министр финансов Северо-Озерской области; министр экономического развития Северо-Озерской области"],
            ],
        )
    },
)

SAMPLES["postanovlenie-297-p.rla"] = dict(
    header=[
        ("$0  Номер в базе", ["2038"]),
        ("$5  Вид документа", ["ПОСТАНОВЛЕНИЕ"]),
        ("$4  Принявший орган", ["ПРАВИТЕЛЬСТВО СЕВЕРО-ОЗЕРСКОЙ ОБЛАСТИ"]),
        ("$6  Дата принятия", ["18.06.2024", ""]),
        ("$7  Номер", ["297-п"]),
        ("$9  Название документа", ["О МЕРАХ ПО ОБЕСПЕЧЕНИЮ ОХРАНЫ ТРУДА В ГОСУДАРСТВЕННЫХ", "ОБРАЗОВАТЕЛЬНЫХ ОРГАНИЗАЦИЯХ СЕВЕРО-ОЗЕРСКОЙ ОБЛАСТИ", ""]),
        ("$17  Редакция от", ["18.06.2024"]),
    ],
    text="""\
@marker ЗАГ
                  ПРАВИТЕЛЬСТВО СЕВЕРО-ОЗЕРСКОЙ ОБЛАСТИ

                              ПОСТАНОВЛЕНИЕ
                      от 18 июня 2024 г. N 297-п

          О МЕРАХ ПО ОБЕСПЕЧЕНИЮ ОХРАНЫ ТРУДА В ГОСУДАРСТВЕННЫХ
          ОБРАЗОВАТЕЛЬНЫХ ОРГАНИЗАЦИЯХ СЕВЕРО-ОЗЕРСКОЙ ОБЛАСТИ
@marker КОН

    В соответствии со статьей 214 Трудового кодекса Российской
Федерации, постановлением Правительства Российской Федерации от
24.12.2021 N 2464 "О порядке обучения по охране труда и проверки
знания требований охраны труда" Правительство Северо-Озерской области
постановляет:

    1. Утвердить план мероприятий по обеспечению охраны труда в
государственных образовательных организациях Северо-Озерской области
на 2024 - 2026 годы (приложение).

    2. Министерству образования Северо-Озерской области:

    обеспечить проведение специальной оценки условий труда на рабочих
местах подведомственных организаций в соответствии с Федеральным
законом от 28.12.2013 N 426-ФЗ "О специальной оценке условий труда";

@orvo 988н 31.12.2020
    организовать обязательные медицинские осмотры работников с учетом
перечня, утвержденного приказом Минтруда России N 988н, Минздрава
России N 1420н от 31.12.2020.

    3. Руководителям государственных образовательных организаций
Северо-Озерской области при организации работы по охране труда
руководствоваться Примерным положением о системе управления охраной
труда, утвержденным приказом Министерства труда и социальной защиты
Российской Федерации от 29.10.2021 N 776н.

    4. Документы о проверке знания требований охраны труда, выданные
работникам до 1 сентября 2022 года в соответствии с Порядком обучения
по охране труда и проверки знаний требований охраны труда работников
организаций, утвержденным постановлением Министерства труда и
социального развития Российской Федерации и Министерства образования
Российской Федерации от 13 января 2003 г. N 1/29, действительны до
окончания срока их действия.

    5. Медицинские осмотры обучающихся и работников проводятся в
порядке, установленном совместным приказом министерства образования
Северо-Озерской области N 640 и министерства здравоохранения
Северо-Озерской области N 511 от 12.07.2023.

    6. Финансовое обеспечение мероприятий, предусмотренных настоящим
постановлением, осуществляется в пределах бюджетных ассигнований,
@local ИСП 2034
предусмотренных постановлением Правительства Северо-Озерской области
от 27.12.2019 N 610-п "Об утверждении государственной программы
Северо-Озерской области "Развитие образования"".

    7. Признать утратившим силу постановление Правительства
Северо-Озерской области от 22 июня 2016 г. N 245-п "Об утверждении
Порядка проведения обязательных медицинских осмотров работников
государственных учреждений Северо-Озерской области".

    8. Контроль за исполнением настоящего постановления возложить на
министра образования Северо-Озерской области.

                                         Председатель Правительства
                                           Северо-Озерской области
                                                 Е.С.Вербицкий

                                                          Приложение
                                                      к постановлению
                                                      Правительства
                                                 Северо-Озерской области
                                                от 18.06.2024 N 297-п

                              ПЛАН МЕРОПРИЯТИЙ
           ПО ОБЕСПЕЧЕНИЮ ОХРАНЫ ТРУДА В ГОСУДАРСТВЕННЫХ ОБРАЗОВАТЕЛЬНЫХ
             ОРГАНИЗАЦИЯХ СЕВЕРО-ОЗЕРСКОЙ ОБЛАСТИ НА 2024 - 2026 ГОДЫ

@table plan
@marker ЛЕВ
    Примечание. Об обучении по охране труда см. также постановление
Правительства Российской Федерации от 24.12.2021 N 2464.
@marker !!!

    Сокращение, используемое в плане: СОУТ - специальная оценка условий
труда.
""",
    tables={
        "plan": (
            [5, 34, 14, 14],
            [["N п/п", "Мероприятие", "Срок", "Исполнитель"]],
            [
                ["1.", "Обучение руководителей по охране труда (постановление Правительства Российской Федерации от 24.12.2021 N 2464)", "ежегодно", "министерство образования"],
                ["2.", "Проведение СОУТ на новых рабочих местах", "в течение года", "организации"],
                ["3.", "Мониторинг выполнения плана мероприятий по охране труда на 2024 год, утвержденного приказом министерства образования Северо-Озерской области от 15.01.2024 N 21", "до 1 февраля", "министерство образования"],
                ["4.", "Проведение медицинских осмотров работников", "по графику", "организации"],
            ],
        )
    },
)


def wrap_cell(text, width):
    return textwrap.wrap(text, width - 2, break_long_words=False, break_on_hyphens=False) or [""]


def draw_table(widths, head, body):
    """A table drawn with the single-line frame characters of code page 866."""

    def rule(left, middle, right):
        return left + middle.join("─" * w for w in widths) + right

    def row(cells):
        wrapped = [wrap_cell(c, w) for c, w in zip(cells, widths)]
        height = max(len(w) for w in wrapped)
        out = []
        for i in range(height):
            parts = []
            for lines, w in zip(wrapped, widths):
                parts.append((" " + (lines[i] if i < len(lines) else "")).ljust(w))
            out.append("│" + "│".join(parts) + "│")
        return out

    lines = [rule("┌", "┬", "┐")]
    for r in head:
        lines += row(r)
    for r in body:
        lines.append(rule("├", "┼", "┤"))
        lines += row(r)
    lines.append(rule("└", "┴", "┘"))
    for line in lines:
        if len(line) != len(lines[0]):
            raise DataError("a table row is wider than its frame")
    return lines


def padded(body):
    line = MARKER + body
    return line + "-" * max(0, LINE_WIDTH - len(line))


def find_orvo(acts, number, date):
    found = [a for a in acts if number.upper() in (n.upper() for n in a.numbers) and a.date == date]
    if not found:
        raise DataError(f"no Orvo act N {number} of {date}")
    return max(found, key=lambda a: (tuple(reversed(a.edition.split("."))) if a.edition else ()))


def sample_text(name, sample, orvo, local):
    local_numbers = {a.number_in_base for a in local}
    lines = []
    for line in sample["text"].splitlines():
        if not line.startswith("@"):
            if line != line.rstrip():
                raise DataError(f"{name}: trailing blanks in {line!r}")
            lines.append(line)
            continue
        word, *args = line[1:].split()
        if word == "marker":
            (w,) = args
            lines.append(padded(w))
        elif word == "orvo":
            number, date = args
            lines.append(padded(f"СС_НУЛ_{find_orvo(orvo, number, date).number_in_base}_LAW#"))
        elif word == "local":
            code, number = args
            if int(number) not in local_numbers:
                raise DataError(f"{name}: no local act {number}")
            lines.append(padded(f"СС_{code}_{number}#"))
        elif word == "table":
            lines += draw_table(*sample["tables"][args[0]])
        else:
            raise DataError(f"{name}: unknown instruction {line}")
    for line in lines:
        if line.startswith(MARKER) and len(line) != LINE_WIDTH:
            raise DataError(f"{name}: a tag or marker line of {len(line)} characters")
    return lines


def sample_file(name, sample, orvo, local):
    lines = []
    for field, values in sample["header"]:
        lines.append(field)
        lines += values
    lines.append("$18  Текст документа")
    lines += sample_text(name, sample, orvo, local)
    own = int(dict(sample["header"])["$0  Номер в базе"][0])
    if own not in {a.number_in_base for a in local}:
        raise DataError(f"{name}: the document itself is not in the local base")
    return lines


def encode(lines, codepage):
    return "".join(line + "\r\n" for line in lines).encode(codepage)


def build():
    orvo = read_acts(SCRIPTS / "sample_acts_orvo.txt", ORVO_TYPES, ORVO_BODIES, explicit_numbers=False)
    local = read_acts(SCRIPTS / "sample_acts_local.txt", LOCAL_TYPES, LOCAL_BODIES, explicit_numbers=True)
    check_values(orvo, "types", dictionary_values(DATA / "orvo-types.txt"), "orvo-types.txt")
    check_values(orvo, "bodies", dictionary_values(DATA / "orvo-bodies.txt"), "orvo-bodies.txt")
    check_values(local, "types", dictionary_values(DATA / "local-types.txt"), "local-types.txt")
    check_values(local, "bodies", dictionary_values(DATA / "local-bodies.txt"), "local-bodies.txt")
    files = {
        DATA / "orvo-base.lst": encode(list_file(orvo), "cp1251"),
        DATA / "local-base.lst": encode(list_file(local), "cp866"),
    }
    for name, sample in SAMPLES.items():
        files[DATA / "samples" / name] = encode(sample_file(name, sample, orvo, local), "cp866")
    return files, len(orvo), len(local)


def main(argv):
    check = argv[1:] == ["--check"]
    if argv[1:] and not check:
        print(__doc__, file=sys.stderr)
        return 2
    try:
        files, orvo_count, local_count = build()
    except (DataError, UnicodeEncodeError) as e:
        print(f"make_sample_data: {e}", file=sys.stderr)
        return 1
    stale = []
    for path, data in files.items():
        if path.exists() and path.read_bytes() == data:
            continue
        stale.append(path.relative_to(ROOT))
        if not check:
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_bytes(data)
    if check:
        for path in stale:
            print(f"make_sample_data: {path} differs from its sources", file=sys.stderr)
        return 1 if stale else 0
    print(f"Orvo base: {orvo_count} acts, local base: {local_count} acts, samples: {len(SAMPLES)}")
    for path in stale:
        print(f"written {path}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
