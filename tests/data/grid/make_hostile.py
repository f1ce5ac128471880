#!/usr/bin/env python3
# Writes the hostile grid streams of hostile/ byte by byte, independently of
# the program's own writer. Each must be refused by the grid file's reader.
import os, struct

def short(s):
    b = s.encode('ascii') if isinstance(s, str) else s
    return bytes([len(b)]) + b

def integer(v):
    if -128 <= v <= 127: return b'\x02' + struct.pack('<b', v)
    if -32768 <= v <= 32767: return b'\x03' + struct.pack('<h', v)
    return b'\x04' + struct.pack('<i', v)

def text(s):
    b = s.encode('utf-8')
    if any(c > 127 for c in b):
        return b'\x14' + struct.pack('<I', len(b)) + b
    return (b'\x06' + bytes([len(b)]) if len(b) <= 255 else b'\x0c' + struct.pack('<I', len(b))) + b

def boolean(v): return b'\x09' if v else b'\x08'
def ident(s): return b'\x07' + short(s)

def image(cls, props):
    out = b'TPF0' + short(cls) + b'\x00'
    for name, value in props:
        out += short(name) + value
    return out + b'\x00\x00'

def grid_props(cols=2, rows=2, widths=None, heights=None, full=True, extra=()):
    widths = ','.join(['64'] * cols) if widths is None else widths
    heights = ','.join(['24'] * rows) if heights is None else heights
    props = [('ColCount', integer(cols)), ('RowCount', integer(rows))]
    if widths: props.append(('ColWidths', text(widths)))
    if heights: props.append(('RowHeights', text(heights)))
    props += [('FullGrid', boolean(full)), ('ID', integer(0))] + list(extra)
    return image('TGridPropIO', props)

def cell(col, row, value='x', has_prop=False):
    props = [('Col', integer(col)), ('Row', integer(row))]
    if value: props.append(('Cell', text(value)))
    props.append(('HasProp', boolean(has_prop)))
    return image('TGridCellIO', props)

def cell_props(span_x=-1, span_y=-1, base=True, has_graphic=False, alignment='taLeftJustify',
               brush='clNone'):
    p = 'CellProperties.'
    return image('TGridCellPropIO', [
        (p + 'IsBaseCell', boolean(base)), (p + 'CellSpanX', integer(span_x)),
        (p + 'CellSpanY', integer(span_y)), (p + 'OwnerCol', integer(0)), (p + 'OwnerRow', integer(0)),
        (p + 'Alignment', ident(alignment)), (p + 'BorderColor', ident('clBlack')),
        (p + 'BorderWidth', integer(0)), (p + 'BrushColor', ident(brush)),
        (p + 'BrushColorTo', ident('clNone')), (p + 'BrushStyle', ident('bsSolid')),
        (p + 'FontColor', ident('clNone')), (p + 'FontSize', integer(0)),
        (p + 'FontStyle', b'\x0b\x00'), (p + 'Editor', ident('edNormal')),
        (p + 'ReadOnly', boolean(False)), (p + 'VAlignment', ident('vtaTop')),
        (p + 'WordWrap', boolean(False)), (p + 'NodeLevel', integer(0)),
        ('HasGraphic', boolean(has_graphic))])

def graphic(cell_type):
    p = 'CellGraphic.'
    return image('TGridGraphicIO', [
        (p + 'CellType', ident(cell_type)), (p + 'CellVAlign', ident('vaTop')),
        (p + 'CellHAlign', ident('haLeft')), (p + 'CellIndex', integer(0)),
        (p + 'CellTransparent', boolean(False)), (p + 'CellCreated', boolean(True)),
        (p + 'CellBoolean', boolean(False)), (p + 'CellAngle', integer(0)),
        (p + 'CellErrFrom', integer(0)), (p + 'CellErrLen', integer(0))])

files = {
    'wrong_signature': b'TPF1' + grid_props()[4:] + cell(0, 0),
    'wrong_first_carrier': cell(0, 0) + grid_props(),
    'unknown_property': grid_props(extra=[('Colour', integer(1))]) + cell(0, 0),
    'unknown_cell_property': grid_props() + image('TGridCellIO', [('Col', integer(0)), ('Row', integer(0)), ('Text', text('x')), ('HasProp', boolean(False))]),
    'huge_counts': grid_props(65535, 4000000, widths='', heights='') + cell(0, 0),
    'rowcount_beyond_limit': grid_props(42, 2147483647, widths='', heights=''),
    'negative_colcount': grid_props(-5, 2, widths=''),
    'short_colwidths': grid_props(3, 2, widths='64,64'),
    'long_rowheights': grid_props(2, 2, heights='24,24,24'),
    'non_integer_rowheights': grid_props(2, 2, heights='24,x'),
    'huge_colwidth': grid_props(2, 2, widths='64,99999999999'),
    'cell_outside_grid': grid_props() + cell(0, 0) + cell(5, 1),
    'row_outside_grid': grid_props() + cell(1, 2),
    'col_beyond_word': grid_props() + image('TGridCellIO', [('Col', integer(70000)), ('Row', integer(0)), ('HasProp', boolean(False))]),
    'span_outside_grid': grid_props() + cell(1, 1, has_prop=True) + cell_props(span_x=10, span_y=0),
    'covered_cell_base_outside': grid_props() + cell(0, 0, has_prop=True) + cell_props(span_x=3, span_y=0, base=False),
    'long_string_length': grid_props() + image('TGridCellIO', [('Col', integer(0)), ('Row', integer(0))])[:-2] + short('Cell') + b'\x0c\xff\xff\xff\x7f' + b'abc',
    'utf8_length_past_end': grid_props() + image('TGridCellIO', [('Col', integer(0)), ('Row', integer(0))])[:-2] + short('Cell') + b'\x14\x00\x00\x01\x00' + '가'.encode(),
    'missing_cell_properties': grid_props() + cell(0, 0, has_prop=True),
    'missing_graphic': grid_props() + cell(0, 0, has_prop=True) + cell_props(has_graphic=True),
    'wrong_carrier_order': grid_props() + cell(0, 0, has_prop=True) + graphic('ctCheckBox'),
    'missing_payload': grid_props() + cell(0, 0, has_prop=True) + cell_props(has_graphic=True) + graphic('ctRadio'),
    'unknown_enumeration': grid_props() + cell(0, 0, has_prop=True) + cell_props(alignment='taJustify'),
    'unknown_colour': grid_props() + cell(0, 0, has_prop=True) + cell_props(brush='clPinkish'),
    'unknown_cell_type': grid_props() + cell(0, 0, has_prop=True) + cell_props(has_graphic=True) + graphic('ctHologram'),
    'image_index_not_integer': grid_props() + cell(0, 0, has_prop=True) + cell_props(has_graphic=True) + graphic('ctImages') + image('TGridSLIO', [('Strings.Strings', b'\x01' + text('1') + text('x') + b'\x00')]),
    'bitmap_length_past_end': grid_props() + cell(0, 0, has_prop=True) + cell_props(has_graphic=True) + graphic('ctBitmap') + image('TGridBMPIO', [])[:-2] + short('Bitmap.Data') + b'\x0a\x00\x00\x00\x40' + b'BM',
    'child_component': grid_props()[:-1] + b'\x01' + cell(0, 0),
    'nested_lists': grid_props() + cell(0, 0, has_prop=True) + cell_props(has_graphic=True) + graphic('ctRadio') + image('TGridSLIO', [])[:-2] + short('Strings.Strings') + b'\x01' * 5000,
    'two_stray_bytes': grid_props() + cell(0, 0) + b'\x00\x00',
}

here = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'hostile')
os.makedirs(here, exist_ok=True)
for name, data in files.items():
    with open(os.path.join(here, name + '.grid'), 'wb') as f:
        f.write(data)
